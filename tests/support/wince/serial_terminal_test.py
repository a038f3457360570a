#!/usr/bin/env python3
"""The Windows Embedded Compact form of the program, and its device probe,
with a technician's terminal on a serial line, under Wine: the terminal is
driven byte by byte from the other end of a pty.

  serial_terminal_test.py SCENARIO WINE_RUN WINEARCH PREFIX LAUNCHER PROGRAM

SCENARIO is one of:
  device    GetStdioPathW names COM1:. --version reads nothing of what was
            typed ahead. With its C runtime input NUL, the program reads
            the port itself: the dialogue, line ends of every kind, a lone
            Space, and the end at "0" CR alone
  refused   GetStdioPathW names a device that does not open (TEL1:, a
            telnet session, which Wine lacks): one line on the standard
            error says so, and the C runtime's standard input (the serial
            port) is read instead, to the end at "0" CR alone
  registry  not redirected, but the registry sends the console to COM1:
            (HKLM\\Drivers\\Console OutputTo 1): --version's console lines,
            and a session read as a remote terminal
  terminal  --terminal while GetStdioPathW names a file: read as a remote
            terminal all the same (through the C runtime's standard input,
            the serial port)
  probe     PROGRAM is qzhalprobe-ce, answering a person at the terminal

WINE_RUN is cmake/wine-run, PREFIX a Wine prefix of the tests' own (made on
first use), LAUNCHER serial_stdin_run.exe. The prefix maps COM1 to the pty
(HKLM\\Software\\Wine\\Ports); its wineserver is restarted so that Wine links
the port anew. Exits 125 when Wine cannot
start here.
"""
import os
import re
import select
import subprocess
import sys
import tempfile
import time
import tty

MAIN_MENU = "QZHalLib Test Selection!"
GPIO_MENU = "Select Gpio Test!"
VERSION_MENU = "Select Version Test!"
PROMPT = "Enter Test Number: "
BREAK_LINE = "Press Space for Break Test"
# How long the program may take to end after the main menu's 0.
END_LIMIT = 10.0


class Skip(Exception):
    pass


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

    def drain(self):
        while self.read(0.2):
            pass


class Wine:
    """A Wine prefix whose COM1 is a fresh pty."""

    def __init__(self, wine_run, arch, prefix):
        self.wine_run = wine_run
        self.environment = dict(os.environ, WINEPREFIX=prefix, WINEARCH=arch, WINEDEBUG="-all")
        self.environment.pop("QZHAL_STANDIN_STDIO_PATH", None)
        self.server = "wineserver"
        if arch == "win64" and os.access("/usr/lib/wine/wineserver64", os.X_OK):
            self.server = "/usr/lib/wine/wineserver64"
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)  # a serial line: every byte as it is, no echo, no line discipline

    def configure(self, console_output_to=None):
        """COM1 on the pty; the registry's console redirection set to
        `console_output_to` or removed."""
        console = "[-HKEY_LOCAL_MACHINE\\Drivers\\Console]\n"
        if console_output_to is not None:
            console += ("[HKEY_LOCAL_MACHINE\\Drivers\\Console]\n"
                        f'"OutputTo"=dword:{console_output_to:08x}\n"COMSpeed"=dword:0001c200\n')
        settings = ("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n"
                    f'"COM1"="{os.ttyname(self.slave)}"\n\n{console}')
        with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False) as file:
            file.write(settings)
        try:
            imported = subprocess.run([self.wine_run, "reg", "import", "Z:" + file.name.replace("/", "\\")],
                                      env=self.environment, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.PIPE)
        finally:
            os.unlink(file.name)
        if imported.returncode == 125:
            print(imported.stderr.decode(errors="replace"), file=sys.stderr)
            raise Skip()
        if imported.returncode != 0:
            raise AssertionError(f"reg import failed: {imported.stderr.decode(errors='replace')}")
        subprocess.run([self.server, "-k"], env=self.environment, stderr=subprocess.DEVNULL)
        subprocess.run([self.server, "-w"], env=self.environment)

    def start(self, command, stdio_path=None, stdin=subprocess.DEVNULL):
        """The command under Wine; its standard output and error go to a
        file (Wine's background processes keep them open until the session
        ends)."""
        environment = dict(self.environment)
        if stdio_path is not None:
            environment["QZHAL_STANDIN_STDIO_PATH"] = stdio_path
        log = tempfile.TemporaryFile()
        run = subprocess.Popen([self.wine_run, *command], env=environment, stdin=stdin, stdout=log,
                               stderr=subprocess.STDOUT)
        return run, log

    def stop(self):
        subprocess.run([self.server, "-k"], env=self.environment, stderr=subprocess.DEVNULL)

    def pending_on_line(self):
        """What was typed and nobody has read from the serial line."""
        pending = b""
        while select.select([self.slave], [], [], 0.2)[0]:
            pending += os.read(self.slave, 4096)
        return pending


def finish(run, log, seconds):
    """Exit code and output of a run given `seconds` to end."""
    try:
        code = run.wait(timeout=seconds)
    finally:
        if run.poll() is None:
            run.kill()
    log.seek(0)
    return code, log.read().decode(errors="replace")


def end_at_zero_cr(terminal, run, log):
    """Types the main menu's 0 ended by CR alone; the run must end within
    END_LIMIT. Returns the seconds it took and the run's output."""
    terminal.type("0\r")
    start = time.monotonic()
    try:
        code, output = finish(run, log, END_LIMIT)
    except subprocess.TimeoutExpired:
        raise AssertionError(f"still running {END_LIMIT:.0f} s after 0 CR:\n{terminal.received}")
    seconds = time.monotonic() - start
    terminal.drain()
    assert code == 1, f"exit code {code}: {output}"
    return seconds, output


def echoed_choices(transcript):
    return re.findall(re.escape(PROMPT) + r"(\d)\n", transcript)


def scenario_device(wine, launcher, program):
    wine.configure()
    terminal = Terminal(wine.master)
    typed_ahead = b"9\r"
    os.write(wine.master, typed_ahead)
    run, log = wine.start([launcher, "COM1", program, "--version"])
    try:
        code, output = finish(run, log, 60)
        terminal.drain()
        pending = wine.pending_on_line()
        assert code == 0 and "Console class: remote terminal, read through COM1:" in terminal.received, \
            f"--version: exit code {code}: {output}\n{terminal.received}"
        # Only the dialogue reads the terminal, and only once it asks.
        assert pending == typed_ahead, f"--version read the terminal's input: {pending!r} left of {typed_ahead!r}"
    finally:
        wine.stop()
    terminal.received = ""
    run, log = wine.start([launcher, "--input-nul", "COM1", program], stdio_path="COM1:")
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
        # Digits ended by LF, then the main menu's 0 ended by CR alone.
        terminal.type("0\n")
        terminal.wait_for(PROMPT, count=4)
        ended, output = end_at_zero_cr(terminal, run, log)
    finally:
        wine.stop()
    transcript = terminal.received
    assert echoed_choices(transcript) == ["3", "6", "0", "0"], f"echo {echoed_choices(transcript)}:\n{transcript}"
    # Each line end was one: no empty answer made the menus repeat.
    assert "Not valid Test Function" not in transcript, transcript
    assert "cannot open" not in output, output
    print(f"the Space ended the polling loop after {seconds:.2f} s ({late} pass after it); "
          f"the program ended {ended:.2f} s after 0 CR")


def scenario_refused(wine, launcher, program):
    wine.configure()
    run, log = wine.start([launcher, "COM1", program], stdio_path="TEL1:")
    terminal = Terminal(wine.master)
    try:
        terminal.wait_for(PROMPT, timeout=60)
        terminal.type("7\r")
        terminal.wait_for(VERSION_MENU)
        terminal.type("1\r")
        terminal.wait_for("QZHalLib Version: ")
        terminal.wait_for(PROMPT, count=3)
        terminal.type("0\r")
        terminal.wait_for(MAIN_MENU, count=2)
        terminal.wait_for(PROMPT, count=4)
        ended, output = end_at_zero_cr(terminal, run, log)
    finally:
        wine.stop()
    assert echoed_choices(terminal.received) == ["7", "1", "0", "0"], terminal.received
    refusal = [line for line in output.splitlines() if "cannot open TEL1:" in line]
    assert len(refusal) == 1 and refusal[0].startswith("qzhaltest: ") and "C runtime" in refusal[0], output
    print(f"{refusal[0]}\nthe program ended {ended:.2f} s after 0 CR")


def scenario_registry(wine, launcher, program):
    wine.configure(console_output_to=1)
    terminal = Terminal(wine.master)
    run, log = wine.start([launcher, "COM1", program, "--version"], stdio_path="")
    try:
        code, output = finish(run, log, 60)
        terminal.drain()
        assert code == 0, f"--version: exit code {code}: {output}"
        for line in ["Console input (GetStdioPathW): \"\" (not redirected)",
                     "Console registry: HKLM\\Drivers\\Console OutputTo 1 (COM1:), COMSpeed 115200",
                     "Console class: remote terminal, read through COM1:", "QZHalLib Version: "]:
            assert line in terminal.received, f"--version lacks {line!r}:\n{terminal.received}"

        run, log = wine.start([launcher, "COM1", program], stdio_path="")
        terminal.wait_for(PROMPT, timeout=60)
        ended, output = end_at_zero_cr(terminal, run, log)
    finally:
        wine.stop()
    assert PROMPT + "0\n" in terminal.received, "no echo of 0: not taken for a remote terminal\n" + terminal.received
    print(f"the session ended {ended:.2f} s after 0 CR")


def scenario_terminal(wine, launcher, program):
    wine.configure()
    run, log = wine.start([launcher, "COM1", program, "--terminal"], stdio_path="\\Temp\\script.txt")
    terminal = Terminal(wine.master)
    try:
        terminal.wait_for(PROMPT, timeout=60)
        terminal.type("7\r")
        terminal.wait_for(VERSION_MENU)
        terminal.wait_for(PROMPT, count=2)
        terminal.type("0\r")
        terminal.wait_for(MAIN_MENU, count=2)
        terminal.wait_for(PROMPT, count=3)
        ended, output = end_at_zero_cr(terminal, run, log)
    finally:
        wine.stop()
    # Echoed, with CR alone ending each line: a remote terminal, not a file.
    assert echoed_choices(terminal.received) == ["7", "0", "0"], terminal.received
    print(f"the program ended {ended:.2f} s after 0 CR")


def scenario_probe(wine, launcher, probe):
    wine.configure(console_output_to=1)
    run, log = wine.start([launcher, "COM1", probe])
    terminal = Terminal(wine.master)
    ask = "alone now"
    try:
        for count, key, answer in [(1, "\r", "[5]"), (2, " ", "[6]"), (3, "\r", "[7]"), (4, " ", "[8]")]:
            terminal.wait_for(ask, count=count, timeout=60)
            terminal.type(key)
            terminal.wait_for(answer)
        terminal.wait_for("[10]")
        start = time.monotonic()
        code, output = finish(run, log, 30)
        ended = time.monotonic() - start
        terminal.drain()
    finally:
        wine.stop()
    lines = {line[:line.index("]") + 1]: line for line in terminal.received.splitlines() if line.startswith("[")}
    expected = {
        "[1]": "input \"COM1:\"",
        "[2]": "OutputTo 1 (COM1:), COMSpeed 115200",
        "[3]": "remote terminal, read through COM1:",
        "[4]": "second open of COM1:: opened, read time-outs set",
        "[5]": "lone CR through COM1:: CR, ",
        "[6]": "lone Space through COM1:: Space, ",
        "[7]": "lone CR through the C runtime's standard input: CR, ",
        "[8]": "lone Space through the C runtime's standard input: Space, ",
        "[9]": "written yes; reopened for reading while written yes, read back;",
        "[10]": "end with a thread waiting in fgetc: ending now",
    }
    for number, text in expected.items():
        assert number in lines and text in lines[number] and " -> " in lines[number], \
            f"{number} should hold {text!r}:\n{terminal.received}"
    assert "left behind" not in lines["[9]"], lines["[9]"]
    # Wine's C runtime does not wait for the reading thread at exit: no
    # watchdog.
    assert "[11]" not in lines and code == 0, f"exit code {code}:\n{terminal.received}"
    print(terminal.received)
    print(f"the probe ended {ended:.2f} s after its last line")


SCENARIOS = {
    "device": scenario_device,
    "refused": scenario_refused,
    "registry": scenario_registry,
    "terminal": scenario_terminal,
    "probe": scenario_probe,
}


def main():
    scenario, wine_run, arch, prefix, launcher, program = sys.argv[1:7]
    try:
        SCENARIOS[scenario](Wine(wine_run, arch, prefix), launcher, program)
    except Skip:
        return 125
    return 0


if __name__ == "__main__":
    sys.exit(main())
