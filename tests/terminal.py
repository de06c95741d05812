# SPDX-License-Identifier: ISC
"""Run crlines with standard input and standard output on terminals.

usage: python3 terminal.py BINARY [EMULATOR...]

runs each of these cases:
  typed    lines typed at the input terminal, then ^D;
  hangup   the output terminal hung up after the first line, then two
           more lines typed;
  hangup_end  the same, then input that ends without a line feed, so
           that only the final flush can find the failure;
  both     standard output a terminal that cannot be written, and standard
           input a non-blocking terminal holding one line, so that the
           library's flush of the output and the read after it fail in
           the same call;
  full, injected  the first line's flush fails, on a full non-blocking
           terminal emptied then, or through the command prefix in INJECT,
           if set; then a second line is typed, which must not come out.

BINARY runs through EMULATOR, if given: qemu-user and its options.

Prints a line for each case, its name, a colon, then the exit status
("running" if it did not end within a few seconds of its last input), the
bytes the output terminal received in hex (for full, once emptied),
and standard error in brackets
with each line feed as \\n. Where the cases cannot be run, prints why and
exits 77: no pseudo-terminal can be opened,
or BINARY's C library is not one that writes out pending terminal output
before it reads a terminal (glibc and the BSDs' do, musl's does not), or
that library cannot be told.
"""

import fcntl
import os
import select
import subprocess
import sys
import time
import tty

WAIT = 5


def slurp(path):
    with open(path, "rb") as f:
        return f.read()


def why_not(binary):
    """Why BINARY's C library rules the cases out, or None if it does not.

    The library shows in the program: the path of musl's or a BSD's
    dynamic loader, or glibc's symbol versions (GLIBC_2.34, say), which
    a static glibc program still holds as GLIBC_TUNABLES and the like.
    """
    elf = slurp(binary)
    if b"/ld-musl-" in elf:
        return "musl does not write out terminal output before it reads"
    if b"GLIBC_" in elf or b"/libexec/ld" in elf:
        return None
    return "cannot tell the C library of this program"


def read_until(fd, want, wait=WAIT):
    """Read fd until the bytes want have arrived, or nothing has for wait
    seconds: with want a line feed, which crlines never writes, all."""
    got = b""
    while not got.endswith(want) and select.select([fd], [], [], wait)[0]:
        got += os.read(fd, 1024)
    return got


def run(case, binary, emulator):
    """The line that the case CASE prints, after its name."""
    in_master, in_slave = os.openpty()
    out_master, out_slave = os.openpty()
    tty.setraw(out_slave)
    stdout = out_slave
    if case == "both":
        stdout = os.open(os.ttyname(out_slave), os.O_RDONLY | os.O_NOCTTY)
        os.write(in_master, b"ab\n")
        select.select([in_slave], [], [], WAIT)
        fcntl.fcntl(in_slave, fcntl.F_SETFL,
                    fcntl.fcntl(in_slave, fcntl.F_GETFL) | os.O_NONBLOCK)
    elif case == "full":
        fcntl.fcntl(out_slave, fcntl.F_SETFL,
                    fcntl.fcntl(out_slave, fcntl.F_GETFL) | os.O_NONBLOCK)
        for _ in range(3):  # the kernel may free some room a moment later
            try:
                while True:
                    os.write(out_slave, b"x")
            except BlockingIOError:
                time.sleep(0.1)
    inject = os.environ["INJECT"].split() if case == "injected" else []

    # A session of its own, so that no hang-up here signals it.
    proc = subprocess.Popen(inject + emulator + [binary], stdin=in_slave, stdout=stdout,
                            stderr=subprocess.PIPE, start_new_session=True)
    got = b""
    if case == "typed":
        os.write(in_master, b"ab\n")
        got += read_until(out_master, b"ab\r\x7f")
        os.write(in_master, b"cd\n")
        got += read_until(out_master, b"cd\r\x7f")
        os.write(in_master, b"\x04")
    elif case.startswith("hangup"):
        os.write(in_master, b"ab\n")
        got += read_until(out_master, b"ab\r\x7f")
        os.close(out_master)
        os.write(in_master, b"cd\nef\n" if case == "hangup" else b"cd\x04\x04")
    elif case == "full":
        os.write(in_master, b"ab\n")
        deadline = time.monotonic() + WAIT  # the kernel counts refused writes too
        while b"syscw: 0\n" in slurp(f"/proc/{proc.pid}/io") and time.monotonic() < deadline:
            time.sleep(0.1)
        read_until(out_master, b"\n", 0.5)
        os.write(in_master, b"cd\n")
    elif case == "injected":
        os.write(in_master, b"ab\ncd\n")

    try:
        status = proc.wait(WAIT)
    except subprocess.TimeoutExpired:
        status = "running"
        os.write(in_master, b"\x04")
        try:
            proc.wait(WAIT)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    if case in ("full", "injected"):
        got += read_until(out_master, b"\n", 0.5)
    err = proc.stderr.read().decode(errors="replace").replace("\n", "\\n")
    return f"status {status}; output {got.hex(' ')}; stderr [{err}]"


def main():
    binary, *emulator = sys.argv[1:]
    why = why_not(binary)
    if why:
        print(why)
        sys.exit(77)
    try:
        for fd in os.openpty():
            os.close(fd)
    except OSError:
        print("no pseudo-terminal")
        sys.exit(77)
    for case in ["typed", "hangup", "hangup_end", "both", "full"] + (
            ["injected"] if os.environ.get("INJECT") else []):
        print(f"{case}: {run(case, binary, emulator)}")


main()
