#!/bin/sh
# SPDX-License-Identifier: ISC
#
# Drives a built crlines as a process: bytes in on standard input, then the
# exact bytes of standard output, the exact standard error and the status.
#
# usage: crlines.sh GROUP BINARY SOURCE_DIR BUILD_DIR
# where GROUP is translation, arguments, failures, manual, installed,
# fallback, deb_package, rpm_package, deb_lint, rpm_lint or release.
# With CRLINES_NO_SKIP set, a case or group that would be skipped for
# want of a tool fails instead; one that this machine or build cannot
# run is skipped all the same.
set -u
group=$1 bin=$2 srcdir=$3 builddir=$4
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
# dash runs no EXIT trap for a signal: clean up, then die of it.
for sig in HUP INT TERM; do
	trap "rm -rf \"\$tmp\"; trap - $sig; kill -$sig \$\$" $sig
done
# The release's build root is kept and used again where a maker's is.
cache=${XDG_CACHE_HOME:-${HOME:-/nonexistent}/.cache}
# rpm, rpmlint and lintian keep databases and caches under HOME and
# TMPDIR, and rpmbuild its scripts in rpm's temporary folder; here those
# go with the scratch folder.
HOME=$tmp/home TMPDIR=$tmp/tmp
mkdir "$HOME" "$TMPDIR" && export HOME TMPDIR || exit 1
echo "%_tmppath $TMPDIR" >"$HOME/.rpmmacros"
failed=0 checked=0 skipped=0
# EMULATOR, set for a program built for another machine, runs it there:
# qemu-user with its options.
emu=${EMULATOR-}

hex() { od -An -tx1 -v | tr -s ' \n' '  ' | sed 's/^ //; s/ $//'; }

# check NAME WANT GOT: one assertion; a mismatch shows both sides.
check() {
	checked=$((checked + 1))
	[ "$2" = "$3" ] && return
	failed=$((failed + 1))
	printf 'FAIL %s\n  want: %s\n  got:  %s\n' "$1" "$2" "$3"
}

# skip WHAT: counts the cases WHAT as skipped, for want of a tool.
skip() {
	if [ -n "${CRLINES_NO_SKIP-}" ]; then
		checked=$((checked + 1)) failed=$((failed + 1))
		echo "FAIL (skipped) $1"
	else
		cannot "$1"
	fi
}

# cannot WHAT: counts the cases WHAT as skipped, for what this machine or
# build cannot do, which no tool installed changes.
cannot() {
	skipped=$((skipped + 1))
	echo "SKIP $1"
}

# skip_group WHY: the whole group is skipped, which ctest shows, for want
# of a tool; not_for WHY: for what this build is.
skip_group() {
	[ -z "${CRLINES_NO_SKIP-}" ] || { echo "$1"; exit 1; }
	not_for "$1"
}
not_for() {
	echo "$1"
	exit 77
}

# needs TOOL...: the group is skipped where any TOOL is missing.
needs() {
	for tool; do
		command -v "$tool" >/dev/null || skip_group "$tool not found"
	done
}

# have_full NAME: whether /dev/full is there to make writes fail; where it
# is not, the case NAME counts as skipped.
have_full() {
	[ -c /dev/full ] && return
	cannot "$1: no /dev/full"
	return 1
}

# no_strace NAME: where strace cannot watch the program's own system
# calls, the case NAME counts as skipped.
no_strace() {
	if [ -n "$emu" ]; then
		cannot "$1: strace would watch the emulator, not the program"
	elif ! strace -o /dev/null true 2>/dev/null; then
		skip "$1: no strace"
	else
		return 1
	fi
}

# translates NAME PROGRAM: a crlines built or unpacked elsewhere works.
translates() { check "$1" "61 0d 7f 62" "$(printf 'a\nb' | $emu "$2" | hex)"; }

# libc WORD: what the program's C library says, asked through a small
# program built by the same compiler: for an error's name, such as EIO,
# its text as the program prints it; for "name", glibc or another. Where
# that program cannot be built or run, fails, saying why.
libc() {
	[ -x "$tmp/libc" ] || "${COMPILER:-c++}" -x c -o "$tmp/libc" - 2>"$tmp/libc.log" <<-'EOF' ||
	#include <errno.h>
	#include <stdio.h>
	#include <string.h>
	#define E(e) if (strcmp(*v, #e) == 0) return puts(strerror(e)) == EOF;
	#ifndef __GLIBC__
	#define __GLIBC__ 0
	#endif
	int main(int c, char **v) { v += c - 1; E(EAGAIN) E(EBADF) E(EIO) E(EISDIR) E(ENOSPC) E(EPIPE)
		return puts(__GLIBC__ ? "glibc" : "another") == EOF; }
	EOF
	{ echo "${COMPILER:-c++} cannot build the helper that asks the C library: $(tail -n 1 "$tmp/libc.log")"; return 1; }
	$emu "$tmp/libc" "$1" || { echo "the helper that asks the C library cannot run"; return 1; }
}

# exact FILE: the file with an end mark that $(...) cannot strip, so
# that a missing or doubled final line feed shows.
exact() { cat "$1"; echo '<end>'; }

# lines TEXT...: each TEXT as a line, then the end mark, as exact shows them.
lines() {
	[ $# -eq 0 ] || printf '%s\n' "$@"
	echo '<end>'
}

# run ARGS...: crlines on $tmp/in; sets out (hex), err (exact) and status.
run() {
	$emu "$bin" "$@" <"$tmp/in" >"$tmp/out" 2>"$tmp/err"
	status=$?
	out=$(hex <"$tmp/out") err=$(exact "$tmp/err")
}

# expect NAME STATUS OUT ERR: compares what the last run gave.
expect() {
	check "$1: status" "$2" "$status"
	check "$1: stdout" "$3" "$out"
	check "$1: stderr" "$4" "$err"
}

# lf_to HEX: a hex dump read on standard input, with its line feeds written as HEX.
lf_to() { sed "s/0a/$1/g"; }

all_bytes() {
	i=0
	while [ $i -lt 256 ]; do
		printf "\\$(printf %03o $i)"
		i=$((i + 1))
	done
}

# random_bytes BLOCKS: that many 64 KiB of reproducible random bytes, with a
# line feed every 256 bytes on average.
random_bytes() {
	perl -e 'srand 7; for (1..shift) { print pack "C*", map { rand 256 } 1..65536 }' "$1"
}

translation() {
	needs perl
	while IFS='|' read -r name mode input want; do
		printf "$input" >"$tmp/in"
		run $mode
		expect "$name $mode" 0 "$want" "$(lines)"
	done <<-'EOF'
	empty input|||
	empty input|-d||
	two lines||ab\ncd\n|61 62 0d 7f 63 64 0d 7f
	two lines|-d|ab\ncd\n|61 62 0d 63 64 0d
	no final line feed||ab\ncd|61 62 0d 7f 63 64
	no final line feed|-d|ab\ncd|61 62 0d 63 64
	cr lf||\r\n|0d 0d 7f
	cr lf|-d|\r\n|0d 0d
	line feeds only||\n\n\n|0d 7f 0d 7f 0d 7f
	line feeds only|-d|\n\n\n|0d 0d 0d
	nul cr del ff||\000\r\177\377z|00 0d 7f ff 7a
	nul cr del ff|-d|\000\r\177\377z|00 0d 7f ff 7a
	ff does not end input||\377\n\377\377q|ff 0d 7f ff ff 71
	EOF

	all_bytes >"$tmp/in"
	bytes=$(hex <"$tmp/in")
	run
	expect "every byte" 0 "$(echo "$bytes" | lf_to '0d 7f')" "$(lines)"
	run -d
	expect "every byte -d" 0 "$(echo "$bytes" | lf_to 0d)" "$(lines)"

	# Several MiB of random bytes, and a text in which every third output
	# byte ends a CR DEL pair, so pairs straddle the stream buffer boundaries.
	random_bytes 96 >"$tmp/random"
	perl -e 'print "a\n" x 1048576' >"$tmp/text"
	for f in random text; do
		perl -pe 's/\n/\r\x7f/' <"$tmp/$f" >"$tmp/want"
		$emu "$bin" <"$tmp/$f" >"$tmp/got"
		check "$f against perl: status, bytes" "0 0" "$? $(cmp "$tmp/want" "$tmp/got" >/dev/null; echo $?)"
		tr '\n' '\r' <"$tmp/$f" >"$tmp/want"
		$emu "$bin" -d <"$tmp/$f" >"$tmp/got"
		check "$f -d against tr: status, bytes" "0 0" "$? $(cmp "$tmp/want" "$tmp/got" >/dev/null; echo $?)"
	done
}

# as_argv0 NAME ARGS...: the program run with argument zero NAME.
as_argv0() {
	if [ -n "$emu" ]; then
		name=$1
		shift
		$emu -0 "$name" "$bin" "$@"
	else
		perl -e 'exec {shift} @ARGV' "$bin" "$@"
	fi
}

# usage_case ARGS...: the usage line, status 1, no output, input unread.
usage_case() {
	{ $emu "$bin" "$@" >"$tmp/out" 2>"$tmp/err"; echo $? >"$tmp/status"; cat >"$tmp/rest"; } <"$tmp/in"
	status=$(cat "$tmp/status") out=$(hex <"$tmp/out") err=$(exact "$tmp/err")
	expect "usage for [$*]" 1 "" "$(lines "usage: $bin [-d] < file > newfile")"
	check "usage for [$*]: input unread" "$(hex <"$tmp/in")" "$(hex <"$tmp/rest")"
}

arguments() {
	needs perl
	printf 'a\nb' >"$tmp/in"
	usage_case ''
	usage_case -
	usage_case d
	usage_case -dd
	usage_case -D
	usage_case -x
	usage_case --
	usage_case ' -d'
	usage_case '-d '
	usage_case x -d
	usage_case '' -d

	run -d x
	expect "-d x" 0 "61 0d 62" "$(lines)"
	run -d -d
	expect "-d -d" 0 "61 0d 62" "$(lines)"
	run -d ''
	expect "-d ''" 0 "61 0d 62" "$(lines)"
	run -d -x --
	expect "-d -x --" 0 "61 0d 62" "$(lines)"

	as_argv0 /no/such/dir/crl -x 2>"$tmp/err" </dev/null
	check "usage names argument zero as invoked" "$(lines "usage: /no/such/dir/crl [-d] < file > newfile")" "$(exact "$tmp/err")"
	as_argv0 "" -x 2>"$tmp/err" </dev/null
	check "usage names an empty argument zero" "$(lines "usage:  [-d] < file > newfile")" "$(exact "$tmp/err")"

	if [ -n "$emu" ]; then
		cannot "no argument zero: qemu-user always passes one"
		return
	fi
	out=$(perl -e 'exec {shift} ()' "$bin" <"$tmp/in" | hex)
	check "no argument zero: default mode" "61 0d 7f 62" "$out"
	have_full "no argument zero: named crlines" || return
	perl -e 'exec {shift} ()' "$bin" <"$tmp/in" 2>"$tmp/err" >/dev/full
	check "no argument zero: named crlines" "$(lines "crlines: write error: $(libc ENOSPC)")" "$(exact "$tmp/err")"
}

# stdin_pipe CMD...: CMD with standard input a non-blocking pipe holding
# "ab\ncd" whose writer stays open, so the read after the data fails.
stdin_pipe() {
	perl -e 'use Fcntl; $^F = 99; pipe R, W or die; syswrite W, "ab\ncd";
		fcntl R, F_SETFL, O_NONBLOCK or die; open STDIN, "<&R" or die; exec @ARGV' "$@"
}

# signal DISPOSITION CMD...: CMD with SIGPIPE set as given, whatever the
# disposition this script was started with.
signal() {
	perl -e '$SIG{PIPE} = shift; exec @ARGV' "$@"
}

failures() {
	needs perl
	printf 'ab\ncd\n' >"$tmp/in"
	random_bytes 16 >"$tmp/big"

	while IFS='|' read -r name redirs what errno; do
		case $redirs in */dev/full*) have_full "$name" || continue ;; esac
		eval "$emu \"\$bin\" 2>\"\$tmp/err\" $redirs"
		check "$name: status" 1 $?
		check "$name: stderr" "$(lines "$bin: $what error: $(libc $errno)")" "$(exact "$tmp/err")"
	done <<-'EOF'
	full device, small input|<"$tmp/in" >/dev/full|write|ENOSPC
	full device, large input|<"$tmp/big" >/dev/full|write|ENOSPC
	closed output|<"$tmp/in" >&-|write|EBADF
	directory as input|</ >/dev/null|read|EISDIR
	closed input|<&- >/dev/null|read|EBADF
	EOF

	# Output that could reach input not yet read is refused before
	# anything is read; with -d, a file rewritten in place from the same
	# offset is not, unless both streams share that offset. A check that
	# cannot answer stops the run, and the file over 4 GiB is one that
	# 32-bit file offsets cannot examine. A row may put words before the
	# program: perl moving standard input or output on, or writing X where
	# the program left the output's offset; strace making a call fail; or
	# a mount namespace giving each of two file systems a file of inode 2,
	# the first and the second one's output then kept as the file.
	seek="perl -e '\$h = shift; sysseek \$h, shift, 0 or die; exec @ARGV'"
	mark="perl -e 'system @ARGV; syswrite STDOUT, q(X); exit \$? >> 8'"
	fail="env ASAN_OPTIONS=detect_leaks=0 strace -o /dev/null -P \"\$tmp/same\" -e inject="
	apart="unshare -m sh -c 'mkdir -p \"\$0/1\" \"\$0/2\" && mount -t tmpfs 1 \"\$0/1\" && mount -t tmpfs 2 \"\$0/2\" && \
		cp \"\$0/same\" \"\$0/1\" && \"\$@\" <\"\$0/1/same\" >\"\$0/2/same\"; s=\$?; cp \"\$0/2/same\" \"\$0\"; exit \$s' \"\$tmp\""
	refused="1 $bin: input file is output file/6 61 62 0a 63 64 0a"
	while IFS='|' read -r name size how args want; do
		case $how in
		*strace*) no_strace "$name" && continue ;;
		*unshare*) unshare -m mount -t tmpfs probe "$tmp" 2>/dev/null || { cannot "$name: no mount namespace"; continue; } ;;
		esac
		rm -f "$tmp/same"
		[ -z "$size" ] || truncate -s "$size" "$tmp/same"
		printf 'ab\ncd\n' >>"$tmp/same"
		ln -f "$tmp/same" "$tmp/link"
		eval "timeout 10 $how $emu \"\$bin\" $args 2>\"\$tmp/err\""
		check "$name: status, stderr, file" "$want" \
			"$? $(tr '\n' / <"$tmp/err")$(($(wc -c <"$tmp/same"))) $(tail -c 6 "$tmp/same" | hex)"
	done <<-EOF
	appended to its input|||<"\$tmp/same" >>"\$tmp/same"|$refused
	written over its input|||<"\$tmp/same" 1<>"\$tmp/same"|$refused
	/dev/null for both|||</dev/null >/dev/null|0 6 61 62 0a 63 64 0a
	-d, appended through a link|||-d <"\$tmp/link" >>"\$tmp/same"|$refused
	-d, appended, over 4 GiB|4G||-d <"\$tmp/same" >>"\$tmp/same"|1 $bin: input file is output file/4294967302 61 62 0a 63 64 0a
	-d, output ahead of input|| $seek STDOUT 3|-d <"\$tmp/same" 1<>"\$tmp/same"|$refused
	-d, input ahead of output|| $seek STDIN 3|-d <"\$tmp/same" 1<>"\$tmp/same"|0 6 63 64 0d 63 64 0a
	-d, one offset for both, moved on|| $seek STDOUT 2|-d <>"\$tmp/same" >&0|$refused
	-d, rewritten in place|||-d <"\$tmp/same" 1<>"\$tmp/same"|0 6 61 62 0d 63 64 0d
	two file systems, one inode number|| $apart||0 8 0d 7f 63 64 0d 7f
	failed fstat|| $fail%fstat:error=EIO:when=1|<"\$tmp/same" >>"\$tmp/same"|1 $bin: read error: $(libc EIO)/6 61 62 0a 63 64 0a
	failed fstat of the output|| $fail%fstat:error=EIO:when=2|<"\$tmp/same" >>"\$tmp/same"|1 $bin: write error: $(libc EIO)/6 61 62 0a 63 64 0a
	-d, failed fcntl|| ${fail}fcntl,fcntl64:error=EIO:when=1|-d <"\$tmp/same" >>"\$tmp/same"|1 $bin: write error: $(libc EIO)/6 61 62 0a 63 64 0a
	-d, failed lseek of the input|| ${fail}lseek,_llseek:error=EIO:when=1|-d <"\$tmp/same" 1<>"\$tmp/same"|1 $bin: read error: $(libc EIO)/6 61 62 0a 63 64 0a
	-d, failed lseek of the output|| ${fail}lseek,_llseek:error=EIO:when=2|-d <"\$tmp/same" 1<>"\$tmp/same"|1 $bin: write error: $(libc EIO)/6 61 62 0a 63 64 0a
	-d, failed probe|| ${fail}lseek,_llseek:error=EIO:when=3|-d <"\$tmp/same" 1<>"\$tmp/same"|1 $bin: write error: $(libc EIO)/6 61 62 0a 63 64 0a
	-d, failed read of the probe, offset put back|| $mark ${fail}lseek,_llseek:error=EIO:when=4|-d <"\$tmp/same" 1<>"\$tmp/same"|1 $bin: read error: $(libc EIO)/6 58 62 0a 63 64 0a
	-d, failed restore|| ${fail}lseek,_llseek:error=EIO:when=5|-d <"\$tmp/same" 1<>"\$tmp/same"|1 $bin: write error: $(libc EIO)/6 61 62 0a 63 64 0a
	EOF

	$emu "$bin" </dev/null >&- 2>"$tmp/err"
	status=$?
	check "closed output, nothing to write" "0 $(lines)" "$status $(exact "$tmp/err")"

	out=$(stdin_pipe $emu "$bin" 2>"$tmp/err" | hex)
	check "read failure after data: output" "61 62 0d 7f 63 64" "$out"
	check "read failure after data: stderr" "$(lines "$bin: read error: $(libc EAGAIN)")" "$(exact "$tmp/err")"

	err=$( { signal IGNORE $emu "$bin" <"$tmp/big" 2>"$tmp/err"; echo $? >"$tmp/status"; } | true; cat "$tmp/status")
	check "closed pipe, SIGPIPE ignored" "$bin: write error: $(libc EPIPE)
1" "$(cat "$tmp/err"; echo "$err")"
	err=$( { signal DEFAULT $emu "$bin" <"$tmp/big" 2>"$tmp/err"; echo $? >"$tmp/status"; } | true; cat "$tmp/status")
	check "closed pipe, SIGPIPE default" "141" "$(cat "$tmp/err"; echo "$err")"

	# Standard input and output on terminals. The hang-up must end the
	# run at the next line typed, not at the end of input, with a C
	# library that writes out terminal output before it reads; and after
	# a failed write, nothing may follow, even where the device recovers.
	no_strace "terminal, injected" && inject= ||
		inject="env ASAN_OPTIONS=detect_leaks=0 strace -o /dev/null -e inject=write:error=EIO:when=1"
	if ! command -v python3 >/dev/null; then
		skip "terminal cases: no python3"
	elif got=$(INJECT=$inject python3 "$srcdir/tests/terminal.py" "$bin" $emu); [ $? -eq 77 ]; then
		cannot "terminal cases: $got"
	else
		while IFS='|' read -r name want; do
			[ "$name" != injected ] || [ -n "$inject" ] || continue
			check "terminal, $name" "$want" "$(printf '%s\n' "$got" | sed -n "s/^$name: //p")"
		done <<-EOF
		typed|status 0; output 61 62 0d 7f 63 64 0d 7f; stderr []
		hangup|status 1; output 61 62 0d 7f; stderr [$bin: write error: $(libc EIO)\n]
		hangup_end|status 1; output 61 62 0d 7f; stderr [$bin: write error: $(libc EIO)\n]
		both|status 1; output ; stderr [$bin: read error: $(libc EAGAIN)\n$bin: write error\n]
		full|status 1; output ; stderr [$bin: write error: $(libc EAGAIN)\n]
		injected|status 1; output ; stderr [$bin: write error: $(libc EIO)\n]
		EOF
	fi

	# strace makes the close of the output fail, and counts the writes,
	# which musl makes with writev. A sanitizer build's leak check cannot
	# run under strace, and would say so on stderr.
	if ! no_strace "failed close of the output"; then
		ASAN_OPTIONS=detect_leaks=0 strace -o /dev/null -P "$tmp/out" \
			-e trace=close -e inject=close:error=ENOSPC "$bin" <"$tmp/in" >"$tmp/out" 2>"$tmp/err"
		status=$?
		check "failed close of the output" "1 $(lines "$bin: write error: $(libc ENOSPC)")" "$status $(exact "$tmp/err")"
	fi
	if ! no_strace "no write after the first failed" && have_full "no write after the first failed"; then
		perl -e 'print "\n" x 65536' >"$tmp/lf"
		strace -o "$tmp/trace" -e trace=write,writev "$bin" <"$tmp/lf" >/dev/full 2>/dev/null
		check "no write after the first failed" 1 "$(grep -cE '^writev?\(1,' "$tmp/trace")"
	fi

	# The rest make writes fail on a full device.
	have_full "the other full-device cases" || return
	# With and without line feeds, so that a failed write of any byte
	# counts: a stop at once leaves all but the first buffers unread.
	tr -d '\n' <"$tmp/big" >"$tmp/nolf"
	for f in big nolf; do
		rest=$( { $emu "$bin" >/dev/full 2>/dev/null; wc -c | tr -d ' '; } <"$tmp/$f")
		check "write failure stops reading $f" 1 "$([ "$rest" -gt $(($(wc -c <"$tmp/$f") - 65536)) ] && echo 1 || echo "$rest left")"
	done

	err=$( { yes | timeout 10 $emu "$bin" >/dev/full; echo "status $?"; } 2>&1)
	check "endless input to a full device" "$bin: write error: $(libc ENOSPC)
status 1" "$err"

	stdin_pipe $emu "$bin" 2>"$tmp/err" >/dev/full
	check "read and write failure" "$(lines "$bin: read error: $(libc EAGAIN)" "$bin: write error: $(libc ENOSPC)")" "$(exact "$tmp/err")"

	for redir in '2>&-' '2>/dev/full'; do
		eval "$emu \"\$bin\" <\"\$tmp/in\" >/dev/full $redir"
		check "unusable stderr ($redir): status" 1 $?
	done
}

manual() {
	needs groff
	err=$(groff -man -Tutf8 -ww -z "$builddir/crlines.1" 2>&1)
	check "manual renders without warnings" "0:" "$?:$err"
}

# install_script: the build's install rules, with the list of files that
# they write, install_manifest.txt, kept in the scratch folder, where an
# install or a package made here cannot replace the build's own.
install_script() {
	mkdir "$tmp/install" && sed 's|^\(file(WRITE "\).*\(/${CMAKE_INSTALL_MANIFEST}"\)$|\1${CMAKE_CURRENT_LIST_DIR}\2|' \
		"$builddir/cmake_install.cmake" >"$tmp/install/cmake_install.cmake" || exit 1
}

installed() {
	install_script
	"${CMAKE:-cmake}" -DCMAKE_INSTALL_PREFIX="$tmp/root" -P "$tmp/install/cmake_install.cmake" >/dev/null
	translates "installed program" "$tmp/root/bin/crlines"
	check "installed manual" 0 "$(cmp "$builddir/crlines.1" "$tmp/root/share/man/man1/crlines.1"; echo $?)"
	for doc in LICENSE NEWS; do
		check "installed $doc" 0 "$(cmp "$srcdir/$doc" "$tmp/root/share/doc/crlines/$doc"; echo $?)"
	done

	# The version is set once; the manual page and the newest entry of
	# NEWS must follow it, and the page bear that entry's date.
	check "versions and dates of the manual and NEWS" "crlines $VERSION, $(sed -n 's/^\.TH [^ ]* [^ ]* \([^ ]*\) .*/\1/p' "$builddir/crlines.1")" \
		"$(sed -n 's/^\.TH .* "\(crlines [^"]*\)".*/\1/p' "$builddir/crlines.1"), $(sed -n '1s/^crlines [^,]*, //p' "$srcdir/NEWS")"
}

# list: the file names read on standard input, sorted on one line, with
# the folders left out.
list() { grep -v '/$' | sort | tr '\n' ' '; }

# A static link forced with a C++ compiler like those of systems without
# a static C library, which refuses every -static option and hands the
# rest to the real compiler, must stop configure with a message.
fallback() {
	cat >"$tmp/c++" <<-EOF
	#!/bin/sh
	for a in "\$@"; do case \$a in -static*) echo "ld: cannot find -lc" >&2; exit 1;; esac; done
	exec "${COMPILER:-c++}" "\$@"
	EOF
	chmod +x "$tmp/c++"
	CXX=$tmp/c++ "${CMAKE:-cmake}" -G "${GENERATOR:-Unix Makefiles}" -S "$srcdir" -B "$tmp/forced" \
		-DCRLINES_STATIC=ON >"$tmp/log" 2>&1
	check "static link forced where it cannot be: status, message" "1 1" \
		"$? $(grep -c 'cannot link a static' "$tmp/log")"
}

# new_cmake: the group is skipped where CPack is too old to make the
# packages right, and would write others; packaged: also for a program on
# a C library other than glibc, which distributions do not take.
new_cmake() {
	why=$("${CMAKE:-cmake}" -P "$srcdir/packaging/cmake-version.cmake" 2>&1) ||
		not_for "$(echo "$why" | sed -n 's/^ *crlines: //p')"
}
packaged() {
	name=$(libc name) || skip_group "$name"
	[ "$name" = glibc ] || not_for "only a program on glibc is packaged"
	new_cmake
}

# make_package GENERATOR: cpack's package of that kind, in $tmp/pkg, made
# under a umask that would leave folders and files unreadable to others
# if it reached them; sets pkg.
make_package() {
	install_script
	# Named for Ninja, whose builds cpack does not ask for a preinstall
	# step, which the copy of the rules could not run: the program is built.
	(umask 077 && "$CPACK" --config "$builddir/CPackConfig.cmake" -D CPACK_CMAKE_GENERATOR=Ninja \
		-D "CPACK_INSTALL_CMAKE_PROJECTS=$tmp/install;crlines;ALL;/" -G "$1" -B "$tmp/pkg") >"$tmp/log" 2>&1 ||
		cat "$tmp/log"
	pkg=$(ls "$tmp/pkg"/*.deb "$tmp/pkg"/*.rpm 2>/dev/null)
}

# depends NAME DEPENDENCIES: that the package needs the C library for a
# dynamic link, and nothing for a static one; named as the program's own
# architecture has it: no Debian architecture qualifier, and rpm's (64bit)
# mark for a 64-bit program alone.
depends() {
	case $2 in
	*libc6:*) got="libc of a named architecture" ;;
	*'libc.so.6(GLIBC_'*'(64bit)'*) got="libc (64bit)" ;;
	*libc*) got=libc ;;
	*) got=none ;;
	esac
	want=libc
	[ "$1" != .rpm ] || [ "$(od -An -tu1 -j4 -N1 "$bin" | tr -d ' ')" != 2 ] || want="libc (64bit)"
	check "$1: dependencies of the $LINK link" "$([ "$LINK" = static ] && echo none || echo "$want")" "$got"
}

deb_package() {
	needs dpkg-shlibdeps dpkg-deb
	packaged
	make_package DEB
	check ".deb contents" "./usr/bin/crlines ./usr/share/doc/crlines/changelog.gz ./usr/share/doc/crlines/copyright ./usr/share/man/man1/crlines.1.gz " \
		"$(dpkg-deb -c "$pkg" | awk '{ print $6 }' | list)"
	dpkg-deb -x "$pkg" "$tmp/deb"
	translates "program from the .deb" "$tmp/deb/usr/bin/crlines"

	doc=$tmp/deb/usr/share/doc/crlines
	check ".deb name, fields, licence and changelog" "crlines_${VERSION}_$(dpkg-deb -f "$pkg" Architecture).deb
Package: crlines
Version: $VERSION
Section: utils
License: ISC
crlines ($VERSION) unstable; urgency=medium" \
		"${pkg##*/}
$(dpkg-deb -f "$pkg" Package Version Section)
$(grep '^License:' "$doc/copyright")
$(gzip -dc "$doc/changelog.gz" | head -n 1)"
	depends ".deb" "$(dpkg-deb -f "$pkg" Depends)"

	# The armhf package's check of the processor, run with a stand-in uname.
	script=$builddir/preinst
	[ "$(dpkg-deb -f "$pkg" Architecture)" != armhf ] || { dpkg-deb -e "$pkg" "$tmp/control" && script=$tmp/control/preinst; }
	mkdir "$tmp/uname" && got=
	for machine in armv6l armv5tel armv7l armv8l aarch64; do
		printf '#!/bin/sh\necho %s\n' "$machine" >"$tmp/uname/uname" && chmod +x "$tmp/uname/uname"
		PATH=$tmp/uname:$PATH sh "$script" install 2>/dev/null
		got="$got $machine:$?"
	done
	check "armhf preinst: ARMv7 and later only" " armv6l:1 armv5tel:1 armv7l:0 armv8l:0 aarch64:0" "$got"
}

rpm_package() {
	needs rpmbuild rpm rpm2cpio cpio
	packaged
	make_package RPM
	check ".rpm contents, with no system folder" "/usr/bin/crlines /usr/share/doc/crlines /usr/share/doc/crlines/LICENSE /usr/share/doc/crlines/NEWS /usr/share/man/man1/crlines.1.gz " \
		"$(rpm -qlp "$pkg" | list)"
	mkdir "$tmp/rpm"
	(cd "$tmp/rpm" && rpm2cpio "$pkg" | cpio -idm --quiet)
	translates "program from the .rpm" "$tmp/rpm/usr/bin/crlines"

	check ".rpm name, fields and licence file" "crlines-$VERSION-1.$(rpm -qp --qf '%{ARCH}' "$pkg").rpm
crlines $VERSION ISC
/usr/share/doc/crlines/LICENSE" \
		"${pkg##*/}
$(rpm -qp --qf '%{NAME} %{VERSION} %{LICENSE}' "$pkg")
$(rpm -qp --licensefiles "$pkg")"
	depends ".rpm" "$(rpm -qp --requires "$pkg")"
}

# Debian's and Fedora's own checks of the packages: lintian must report
# no error and no warning, rpmlint no error. Distributions take only the
# dynamic link; both tools rightly object to the C library linked in.
deb_lint() {
	needs dpkg-shlibdeps lintian groff
	packaged
	[ "$LINK" = dynamic ] || not_for "a static link is not for distributions"
	make_package DEB
	lintian --fail-on error,warning "$pkg" >"$tmp/log" 2>&1
	check "lintian: status and report" "0:" "$?:$(grep -E '^[EW]: ' "$tmp/log")"
}

rpm_lint() {
	needs rpmbuild rpmlint
	packaged
	[ "$LINK" = dynamic ] || not_for "a static link is not for distributions"
	make_package RPM
	rpmlint -c "$srcdir/packaging/rpmlint.toml" "$pkg" >"$tmp/log" 2>&1
	check "rpmlint: status and errors" "0:" "$?:$(grep ': E: ' "$tmp/log")"
}

# The release as a maker makes it, in a clone whose working tree has
# edits to the files that build it, with stand-ins for the build's tools
# first on PATH and another compiler named, signed; then from the source
# tarball it made, under another umask, with no standard error, after a
# run killed as it built, beside a file already in dist/: the same bytes.
# Made again in the clone, it is refused and changes nothing.
release() {
	needs git gpg mmdebstrap perl dpkg-deb
	[ -e "$srcdir/.git" ] || not_for "the release is tried from a git checkout"
	{ unshare -r true || [ "$(id -u)" = 0 ]; } 2>/dev/null ||
		skip_group "the release builds in namespaces: none can be had, and this is not root"
	start=$(date +%s)
	export XDG_CACHE_HOME=$cache GNUPGHOME=$tmp/gnupg
	mkdir -m 700 "$GNUPGHOME" "$tmp/tools" && gpg --batch --passphrase '' --quick-gen-key 'crlines release test' ed25519 sign never 2>/dev/null
	for tool in c++ g++ cc clang++ ld ccache cmake cpack rpmbuild strip file; do
		printf '#!/bin/sh\ntouch "$0.ran"\nexit 1\n' >"$tmp/tools/$tool" && chmod +x "$tmp/tools/$tool"
	done
	git clone -q --no-hardlinks "$srcdir" "$tmp/a" && cd "$tmp/a" || exit 1
	sed -i '2i exit 3' packaging/build
	echo 'message(FATAL_ERROR "edited")' >>toolchains/target.cmake
	PATH=$tmp/tools:$PATH CXX=clang++ sh packaging/release --sign 'crlines release test' >/dev/null 2>"$tmp/err"
	status=$?
	[ $status -ne 75 ] || skip_group "no Debian mirror to make the release's root from, and none made before: $(tail -n 3 "$tmp/err")"
	check "release with edits and stand-in tools: status, tools run" 0 "$status$(ls "$tmp/tools" | grep ran)"
	[ $status -eq 0 ] || cat "$tmp/err"
	a=$tmp/a/dist/crlines-$VERSION
	native=$(dpkg --print-architecture)
	check "release files, signatures" "$(awk -v v="$VERSION" -v n="$native" '!/^#/ {
		print "crlines_" v "_" $1 ".deb"; print "crlines-" v "-1." $3 ".rpm"; print "crlines-" v "-linux-" $6 ".tar.gz" }
		END { print "SHA256SUMS"; print "SHA256SUMS.asc"; print "crlines-" v ".tar.gz"; print "crlines-" v ".tar.gz.asc"
		print "crlines_" v "_" n ".buildinfo" }' "$srcdir/packaging/targets" | sort | tr '\n' ' ')" "$(ls "$a" | tr '\n' ' ')"
	{ cat "$a/SHA256SUMS"; echo forged; } >"$tmp/forged"
	verify() { gpg --verify "$a/$1.asc" "$2" 2>/dev/null; echo $?; }
	check "signatures of the sums and the source tarball, and of a forged file" "0 0 1" \
		"$(verify SHA256SUMS "$a/SHA256SUMS") $(verify "crlines-$VERSION.tar.gz" "$a/crlines-$VERSION.tar.gz") $(verify SHA256SUMS "$tmp/forged")"
	check "the .buildinfo: the source tarball's checksum, the compiler's package" 2 \
		"$(grep -c -e "^ $(sha256sum <"$a/crlines-$VERSION.tar.gz" | cut -c 1-64) " -e '^ g++ (= ' "$a"/*.buildinfo)"
	before=$(ls -lR --full-time dist; sha256sum "$a"/*)
	sh packaging/release >/dev/null 2>&1
	check "the same release again: refused, the first unchanged" "1$before" "$?$(ls -lR --full-time dist; sha256sum "$a"/*)"

	mkdir -p "$tmp/b/dist" && echo notes >"$tmp/b/dist/NOTES.txt" && cd "$tmp/b" || exit 1
	(umask 077 && tar -xzf "$a/crlines-$VERSION.tar.gz" --strip-components=1)
	perl -e 'setpgrp; exec @ARGV' sh packaging/release >/dev/null 2>"$tmp/killed" &
	for second in $(seq 120); do grep -q 'building in' "$tmp/killed" && break || sleep 1; done
	sleep 2 && kill -KILL -$! && wait $!
	(umask 077 && sh packaging/release >/dev/full 2>&-)
	check "from the tarball, after a run killed, with no standard error: status, dist/, the bytes" \
		"0 NOTES.txt crlines-$VERSION $(cat "$a/SHA256SUMS")" \
		"$? $(ls -A dist | tr '\n' ' ')$(cat "dist/crlines-$VERSION/SHA256SUMS")"

	tar -xzf "$a/crlines-$VERSION-linux-$(awk -v n="$native" '$1 == n { print $6 }' "$srcdir/packaging/targets").tar.gz" -C "$tmp" bin/crlines
	translates "static program from its tarball" "$tmp/bin/crlines"
	# Entries owned by root, folders and programs 0755, other files 0644,
	# all dated by the release.
	when=$(perl -MPOSIX -e 'print strftime "%Y-%m-%d %H:%M:%S", gmtime shift' "$(git -C "$tmp/a" log -1 --format=%ct)")
	for archive in "$a"/*.tar.gz "$a"/*.deb; do
		case $archive in
		*.deb) dpkg-deb --fsys-tarfile "$archive" >"$tmp/entries.tar" ;;
		*) gzip -dc "$archive" >"$tmp/entries.tar" ;;
		esac
		check "owners, modes and times in ${archive##*/}" "" \
			"$(TZ=UTC tar --full-time --numeric-owner -tvf "$tmp/entries.tar" | awk '{ print $1, $2, $4, $5 }' |
				grep -vxE "(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x) 0/0 $when")"
	done
	gpgconf --kill gpg-agent
	echo "release: $(($(date +%s) - start)) s"
}

$group
echo "$group: $((checked - failed)) passed, $failed failed, $skipped skipped"
[ $failed -eq 0 ]
