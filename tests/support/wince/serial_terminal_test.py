#!/usr/bin/env python3
"""The Windows Embedded Compact form of the program with its standard input
and output on a serial port, under Wine: a technician's terminal on a serial
line, driven byte by byte from the other end of a pty.

  serial_terminal_test.py WINE_RUN WINEARCH PREFIX LAUNCHER PROGRAM

WINE_RUN is cmake/wine-run, PREFIX a Wine prefix of the test's own (made on
first use), LAUNCHER serial_stdin_run.exe, PROGRAM the CE form of qzhaltest.
The prefix maps COM1 to the pty (HKLM\\Software\\Wine\\Ports); its
wineserver is restarted so that Wine links the port anew. Exits 125 when Wine
cannot start here.
"""
import os
import re
import select
import subprocess
import sys
import tempfile
import time
import tty

GPIO_MENU = "Select Gpio Test!"
PROMPT = "Enter Test Number: "
BREAK_LINE = "Press Space for Break Test"


class Terminal:
    """The terminal's end of the serial line: what it typed and received."""

    def __init__(self, master):
        self.master = master
        self.received = ""

    def type(self, text):
        for byte in text.encode():
            os.write(self.master, bytes([byte]))
            time.sleep(0.02)

    def read(self, timeout):
        ready, _, _ = select.select([self.master], [], [], timeout)
        if not ready:
            return False
        try:
            data = os.read(self.master, 4096)
        except OSError:  # the last holder of the port has closed it
            return False
        # The C runtime's text mode ends output lines with CR LF.
        self.received += data.decode("latin-1").replace("\r\n", "\n")
        return bool(data)

    def wait_for(self, text, count=1, timeout=30.0):
        """Seconds until `received` holds `text` `count` times."""
        start = time.monotonic()
        while self.received.count(text) < count:
            left = timeout - (time.monotonic() - start)
            if left <= 0 or not self.read(left):
                if self.received.count(text) >= count:
                    break
                raise AssertionError(
                    f"waited {timeout:.0f} s for {text!r} (x{count}); the terminal shows:\n{self.received}")
        return time.monotonic() - start


def wine(wine_run, environment, *arguments, **options):
    return subprocess.run([wine_run, *arguments], env=environment, stdin=subprocess.DEVNULL, **options)


def main():
    wine_run, arch, prefix, launcher, program = sys.argv[1:6]
    environment = dict(os.environ, WINEPREFIX=prefix, WINEARCH=arch, WINEDEBUG="-all")
    server = "wineserver"
    if arch == "win64" and os.access("/usr/lib/wine/wineserver64", os.X_OK):
        server = "/usr/lib/wine/wineserver64"

    master, slave = os.openpty()
    tty.setraw(slave)  # a serial line: every byte as it is, no echo, no line discipline
    port = os.ttyname(slave)
    added = wine(wine_run, environment, "reg", "add", "HKLM\\Software\\Wine\\Ports", "/v", "COM1", "/d", port, "/f",
                 stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if added.returncode == 125:
        print(added.stderr.decode(errors="replace"), file=sys.stderr)
        return 125
    if added.returncode != 0:
        raise AssertionError(f"reg add failed: {added.stderr.decode(errors='replace')}")
    subprocess.run([server, "-k"], env=environment, stderr=subprocess.DEVNULL)
    subprocess.run([server, "-w"], env=environment)

    # Wine's background processes keep the output of the session's programs
    # open until the session ends: it goes to a file, not a pipe.
    log = tempfile.TemporaryFile()
    run = subprocess.Popen([wine_run, launcher, "COM1", program], env=environment, stdin=subprocess.DEVNULL,
                           stdout=log, stderr=subprocess.STDOUT)
    terminal = Terminal(master)
    try:
        terminal.wait_for(PROMPT, timeout=60)
        # A line ended by CR alone; the choice comes back as echo.
        terminal.type("3\r")
        terminal.wait_for(GPIO_MENU)
        assert PROMPT + "3\n" in terminal.received, "no echo of 3 and its line end:\n" + terminal.received
        # Digits ended by CR LF, and a lone Space during the polling loop.
        terminal.type("6\r\n")
        terminal.wait_for(BREAK_LINE, count=3)
        passes = terminal.received.count(BREAK_LINE)
        terminal.type(" ")
        seconds = terminal.wait_for(PROMPT, count=3, timeout=10)
        late = terminal.received.count(BREAK_LINE) - passes
        assert late <= 1, f"{late} passes after the Space"
        assert terminal.received.count(GPIO_MENU) == 2, terminal.received
        # Digits ended by LF, then CR LF typed as two separate reads' worth.
        terminal.type("0\n")
        terminal.wait_for(PROMPT, count=4)
        terminal.type("0\r")
        time.sleep(0.1)
        terminal.type("\n")
        code = run.wait(timeout=30)
    finally:
        if run.poll() is None:
            run.kill()
        subprocess.run([server, "-k"], env=environment, stderr=subprocess.DEVNULL)
        log.seek(0)
        errors = log.read().decode(errors="replace")
    while terminal.read(0.2):
        pass
    transcript = terminal.received
    assert code == 1, f"exit code {code}: {errors}"
    echoed = re.findall(re.escape(PROMPT) + r"(\d)\n", transcript)
    assert echoed == ["3", "6", "0", "0"], f"echo {echoed}:\n{transcript}"
    # Each line end was one: no empty answer made the menus repeat.
    assert "Not valid Test Function" not in transcript, transcript
    print(f"the Space ended the polling loop after {seconds:.2f} s ({late} pass after it)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
