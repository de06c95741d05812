// SPDX-License-Identifier: ISC
//
// crlines: copy standard input to standard output, writing every line feed
// as a carriage return and a DEL byte, or as a carriage return alone with -d.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char *progname = "crlines";

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

} // namespace

int main(int argc, char *argv[])
{
	// With no argument zero Linux hands over one empty string instead,
	// which names no program either.
	if (argc > 0 && argv[0][0] != '\0')
		progname = argv[0];

	if (argc > 1 && std::strcmp(argv[1], "-d") != 0) {
		std::fprintf(stderr, "usage: %s [-d] < file > newfile\n", argv[0]);
		std::exit(1);
	}
	const bool cr_only = argc > 1;

	for (;;) {
		// An int, not a char, so that the byte 0xff is not taken for EOF.
		const int c = std::getc(stdin);
		bool failed;
		if (c == '\n') {
			// Before it reads a terminal, the C library flushes a
			// terminal standard output by itself, and only the error
			// indicator shows when that fails. The read that followed
			// succeeded, so errno still holds the write's reason.
			failed = std::putc('\r', stdout) == EOF ||
			    (!cr_only && std::putc('\x7f', stdout) == EOF) ||
			    std::ferror(stdout);
		} else if (c == EOF) {
			break;
		} else {
			failed = std::putc(c, stdout) == EOF;
		}
		// Output that cannot be written is lost whatever follows, so
		// reading on would only hide the failure.
		if (failed) {
			report("write", errno);
			return 1;
		}
	}

	// A read error ends the input as end of file does; what was read
	// before it still goes out before the failure is told.
	const bool read_failed = std::ferror(stdin) != 0;
	const int read_errno = errno;
	// An error indicator set by now comes from the library's own flush
	// in the last read. Nothing more is written after it, and if that
	// read failed too, its errno has replaced the write's.
	const bool flush_failed = std::ferror(stdout) != 0;
	const bool write_failed = flush_failed || std::fflush(stdout) == EOF;
	const int write_errno = errno;
	if (read_failed)
		report("read", read_errno);
	if (write_failed)
		report("write", flush_failed && read_failed ? 0 : write_errno);
	return read_failed || write_failed ? 1 : 0;
}
