#!/bin/sh
# Drives a built crlines as a process: bytes in on standard input, then the
# exact bytes of standard output, the exact standard error and the status.
#
# usage: crlines.sh translation|arguments|failures|manual|installed BINARY SOURCE_DIR BUILD_DIR
set -u
group=$1 bin=$2 srcdir=$3 builddir=$4
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
failed=0 checked=0

hex() { od -An -tx1 -v | tr -s ' \n' '  ' | sed 's/^ //; s/ $//'; }

# check NAME WANT GOT: one assertion; a mismatch shows both sides.
check() {
	checked=$((checked + 1))
	[ "$2" = "$3" ] && return
	failed=$((failed + 1))
	printf 'FAIL %s\n  want: %s\n  got:  %s\n' "$1" "$2" "$3"
}

# run ARGS...: crlines on $tmp/in; sets out (hex), err and status.
run() {
	"$bin" "$@" <"$tmp/in" >"$tmp/out" 2>"$tmp/err"
	status=$?
	out=$(hex <"$tmp/out") err=$(cat "$tmp/err")
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
	while IFS='|' read -r name mode input want; do
		printf "$input" >"$tmp/in"
		run $mode
		expect "$name $mode" 0 "$want" ""
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
	expect "every byte" 0 "$(echo "$bytes" | lf_to '0d 7f')" ""
	run -d
	expect "every byte -d" 0 "$(echo "$bytes" | lf_to 0d)" ""

	# Several MiB of random bytes, and a text in which every third output
	# byte ends a CR DEL pair, so pairs straddle the stream buffer boundaries.
	random_bytes 96 >"$tmp/random"
	perl -e 'print "a\n" x 1048576' >"$tmp/text"
	for f in random text; do
		perl -pe 's/\n/\r\x7f/' <"$tmp/$f" >"$tmp/want"
		"$bin" <"$tmp/$f" >"$tmp/got"
		check "$f against perl" "0" "$(cmp "$tmp/want" "$tmp/got" >/dev/null; echo $?)"
		tr '\n' '\r' <"$tmp/$f" >"$tmp/want"
		"$bin" -d <"$tmp/$f" >"$tmp/got"
		check "$f -d against tr" "0" "$(cmp "$tmp/want" "$tmp/got" >/dev/null; echo $?)"
	done
}

# usage_case ARGS...: the usage line, status 1, no output, input unread.
usage_case() {
	{ "$bin" "$@" >"$tmp/out" 2>"$tmp/err"; echo $? >"$tmp/status"; cat >"$tmp/rest"; } <"$tmp/in"
	status=$(cat "$tmp/status") out=$(hex <"$tmp/out") err=$(cat "$tmp/err")
	expect "usage for [$*]" 1 "" "usage: $bin [-d] < file > newfile"
	check "usage for [$*]: input unread" "$(hex <"$tmp/in")" "$(hex <"$tmp/rest")"
}

arguments() {
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
	expect "-d x" 0 "61 0d 62" ""
	run -d -d
	expect "-d -d" 0 "61 0d 62" ""
	run -d ''
	expect "-d ''" 0 "61 0d 62" ""
	run -d -x --
	expect "-d -x --" 0 "61 0d 62" ""

	err=$(perl -e 'exec {shift} @ARGV' "$bin" /no/such/dir/crl -x 2>&1 </dev/null)
	check "usage names argument zero as invoked" "usage: /no/such/dir/crl [-d] < file > newfile" "$err"

	out=$(perl -e 'exec {shift} ()' "$bin" <"$tmp/in" | hex)
	check "no argument zero: default mode" "61 0d 7f 62" "$out"
	err=$(perl -e 'exec {shift} ()' "$bin" <"$tmp/in" 2>&1 >/dev/full)
	check "no argument zero: named crlines" "crlines: write error: No space left on device" "$err"
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
	printf 'ab\ncd\n' >"$tmp/in"
	random_bytes 16 >"$tmp/big"

	while IFS='|' read -r name redirs want; do
		err=$(eval "\"\$bin\" 2>&1 $redirs")
		status=$?
		check "$name: status" 1 "$status"
		check "$name: stderr" "$bin: $want" "$err"
	done <<-'EOF'
	full device, small input|<"$tmp/in" >/dev/full|write error: No space left on device
	full device, large input|<"$tmp/big" >/dev/full|write error: No space left on device
	closed output|<"$tmp/in" >&-|write error: Bad file descriptor
	directory as input|</ >/dev/null|read error: Is a directory
	closed input|<&- >/dev/null|read error: Bad file descriptor
	EOF

	rest=$( { "$bin" >/dev/full 2>/dev/null; wc -c | tr -d ' '; } <"$tmp/big")
	check "write failure stops reading" 1 "$([ "$rest" -gt 1000000 ] && echo 1 || echo "$rest left")"

	err=$( { yes | timeout 10 "$bin" >/dev/full; echo "status $?"; } 2>&1)
	check "endless input to a full device" "$bin: write error: No space left on device
status 1" "$err"

	out=$(stdin_pipe "$bin" 2>"$tmp/err" | hex)
	check "read failure after data: output" "61 62 0d 7f 63 64" "$out"
	check "read failure after data: stderr" "$bin: read error: Resource temporarily unavailable" "$(cat "$tmp/err")"
	err=$(stdin_pipe "$bin" 2>&1 >/dev/full)
	check "read and write failure" "$bin: read error: Resource temporarily unavailable
$bin: write error: No space left on device" "$err"

	err=$( { signal IGNORE "$bin" <"$tmp/big" 2>"$tmp/err"; echo $? >"$tmp/status"; } | true; cat "$tmp/status")
	check "closed pipe, SIGPIPE ignored" "$bin: write error: Broken pipe
1" "$(cat "$tmp/err"; echo "$err")"
	err=$( { signal DEFAULT "$bin" <"$tmp/big" 2>"$tmp/err"; echo $? >"$tmp/status"; } | true; cat "$tmp/status")
	check "closed pipe, SIGPIPE default" "141" "$(cat "$tmp/err"; echo "$err")"

	for redir in '2>&-' '2>/dev/full'; do
		eval "\"\$bin\" <\"\$tmp/in\" >/dev/full $redir"
		check "unusable stderr ($redir): status" 1 $?
	done
}

manual() {
	command -v groff >/dev/null || { echo "groff not found"; exit 77; }
	err=$(groff -man -Tutf8 -ww -z "$srcdir/man/crlines.1" 2>&1)
	check "manual renders without warnings" "0:" "$?:$err"
}

installed() {
	"${CMAKE:-cmake}" --install "$builddir" --prefix "$tmp/root" >/dev/null
	check "installed program" "61 0d 7f" "$(printf 'a\n' | "$tmp/root/bin/crlines" | hex)"
	check "installed manual" 0 "$(cmp "$srcdir/man/crlines.1" "$tmp/root/share/man/man1/crlines.1"; echo $?)"
}

$group
echo "$group: $((checked - failed)) passed, $failed failed"
[ $failed -eq 0 ]
