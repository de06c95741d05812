// SPDX-License-Identifier: ISC
//
// crlines: copy standard input to standard output, writing every line feed
// as a carriage return and a DEL byte, or as a carriage return alone with -d.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// With a 32-bit off_t, fstat and lseek fail on a file over 2 GiB, and
// the same-file check below could not tell such a file from another.
static_assert(sizeof(off_t) >= 8,
    "crlines needs 64-bit file offsets: build with _FILE_OFFSET_BITS=64");

namespace {

const char *progname = "crlines";

// The program has one thread, and only it touches the streams, so the
// lock that getc and putc take on every byte guards nothing. Where the C
// library has the unlocked forms, the same buffered streams are used
// without it, which for glibc leaves a few inline instructions a byte.
#ifdef CRLINES_UNLOCKED
int get_byte(std::FILE *in) { return getc_unlocked(in); }
int put_byte(int c, std::FILE *out) { return putc_unlocked(c, out); }
#else
int get_byte(std::FILE *in) { return std::getc(in); }
int put_byte(int c, std::FILE *out) { return std::putc(c, out); }
#endif

// An err of 0 means the reason is not known, and none is given. The
// result is not examined: the exit status says the run failed even when
// standard error cannot say why.
void report(const char *what, int err)
{
	if (err == 0)
		std::fprintf(stderr, "%s: %s error\n", progname, what);
	else
		std::fprintf(stderr, "%s: %s error: %s\n", progname, what,
		    std::strerror(err));
}

// A write to standard output failed: after the report the run ends
// without the exit's flush, since bytes that followed a lost one would
// leave a hole in the output that nothing shows. Standard error, never
// buffered, has written the report already.
[[noreturn]] void write_failed(int err)
{
	report("write", err);
	std::_Exit(1);
}

// The check below could not examine a stream: "read" names standard
// input, "write" standard output. Not knowing must not pass for safe, so
// the reason is reported and the run stops.
int unknown(const char *what)
{
	report(what, errno);
	return -1;
}

// Whether writing standard output could reach input not yet read, as
// when it is appended to the file it reads: the input would then never
// end, and the file would grow until the disk is full. 1 if it could, 0
// if not, -1 if a stream could not be examined (reported). With -d the
// output is as long as the input, so the same file rewritten in place
// from one offset is safe, unless both streams share one offset, which
// each write moves ahead of the reader. A closed descriptor reaches
// nothing: the copy reports a closed input, and a closed output with
// nothing to write has failed nothing.
int output_reaches_input(bool cr_only)
{
	struct stat in, out;
	if (fstat(STDIN_FILENO, &in) == -1)
		return errno == EBADF ? 0 : unknown("read");
	if (fstat(STDOUT_FILENO, &out) == -1)
		return errno == EBADF ? 0 : unknown("write");
	if (in.st_dev != out.st_dev || in.st_ino != out.st_ino ||
	    !S_ISREG(in.st_mode))
		return 0;
	if (!cr_only)
		return 1;
	const int flags = fcntl(STDOUT_FILENO, F_GETFL);
	if (flags == -1)
		return unknown("write");
	if ((flags & O_APPEND) != 0)
		return 1;
	const off_t in_at = lseek(STDIN_FILENO, 0, SEEK_CUR);
	if (in_at == -1)
		return unknown("read");
	const off_t out_at = lseek(STDOUT_FILENO, 0, SEEK_CUR);
	if (out_at == -1)
		return unknown("write");
	if (out_at != in_at)
		return out_at > in_at ? 1 : 0;
	// One offset shared by both descriptors moves with either; moving
	// the output's and putting it back tells, before any byte is read.
	// An offset not put back would shift every byte written.
	if (lseek(STDOUT_FILENO, out_at + 1, SEEK_SET) == -1)
		return unknown("write");
	const off_t moved = lseek(STDIN_FILENO, 0, SEEK_CUR);
	const int moved_errno = errno;
	if (lseek(STDOUT_FILENO, out_at, SEEK_SET) == -1)
		return unknown("write");
	if (moved == -1) {
		errno = moved_errno;
		return unknown("read");
	}
	return moved != in_at ? 1 : 0;
}

} // namespace

int main(int argc, char *argv[])
{
	// Started with no arguments at all, the program has none, or from
	// Linux 5.18 on one empty argument zero, which names no program either.
	if (argc > 0 && argv[0][0] != '\0')
		progname = argv[0];

	if (argc > 1 && std::strcmp(argv[1], "-d") != 0) {
		std::fprintf(stderr, "usage: %s [-d] < file > newfile\n", argv[0]);
		std::exit(1);
	}
	const bool cr_only = argc > 1;

	const int reaches = output_reaches_input(cr_only);
	if (reaches == 1)
		std::fprintf(stderr, "%s: input file is output file\n", progname);
	if (reaches != 0)
		return 1;

	// Held here, not read from stdin and stdout at each byte: a byte
	// stored in the output buffer might, for all the compiler knows, be
	// part of those two pointers, so they would be loaded anew each time.
	std::FILE *const in = stdin;
	std::FILE *const out = stdout;
	for (;;) {
		// An int, not a char, so that the byte 0xff is not taken for EOF.
		const int c = get_byte(in);
		bool failed;
		if (c == '\n') {
			// Before they read a terminal, glibc and the BSD C
			// libraries flush a terminal standard output by
			// themselves (musl does not), and only the error
			// indicator shows when that fails. The read that followed
			// succeeded, so errno still holds the write's reason.
			failed = put_byte('\r', out) == EOF ||
			    (!cr_only && put_byte('\x7f', out) == EOF) ||
			    std::ferror(out);
		} else if (c == EOF) {
			break;
		} else {
			failed = put_byte(c, out) == EOF;
		}
		// Output that cannot be written is lost whatever follows, so
		// reading on would only hide the failure.
		if (failed)
			write_failed(errno);
	}

	// A read error ends the input as end of file does; what was read
	// before it still goes out before the failure is told.
	const bool read_failed = std::ferror(in) != 0;
	const int read_errno = errno;
	// An error indicator set by now comes from the library's own flush
	// before one of the reads since the last line feed, of which a line
	// longer than the input buffer takes several; a putc that fails has
	// ended the loop already. errno still holds that write's reason,
	// unless a read failed since and replaced it.
	const bool flush_failed = std::ferror(out) != 0;
	// Some file systems, NFS among them, report a write they refused only
	// when the file is closed. A standard output that was never open, with
	// nothing written to it, has failed nothing.
	const bool out_failed = flush_failed || std::fflush(out) == EOF ||
	    (std::fclose(out) == EOF && errno != EBADF);
	const int write_errno = errno;
	if (read_failed)
		report("read", read_errno);
	if (out_failed)
		write_failed(flush_failed && read_failed ? 0 : write_errno);
	return read_failed ? 1 : 0;
}
