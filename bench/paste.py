"""A paste at the terminal: how long from pasting `1+1+…+1` at the prompt
and pressing Enter to the answer on the screen, for ostrilume and for
`bc -q`, both in the same tmux window of 80 columns, with the terminal's
bracketed paste. The paste goes in as a person's would (tmux paste-buffer),
and the clock stops when tmux shows the result, so the time includes drawing
the line and the answer."""
import os
import re
import shutil
import subprocess
import time

from report import Skipped

SIZES = [5_199, 1_048_575]  # bytes: 2,600 and 524,288 ones
TIMEOUT = 120
REPEAT = 3  # pastes of each size by each program; the fastest counts


def tmux(socket, *args):
    return subprocess.run(["tmux", "-S", str(socket), *args], check=True, capture_output=True, text=True,
                          env=dict(os.environ, SHELL="/bin/sh", LC_ALL="C.UTF-8")).stdout


def wait_for(socket, pattern, timeout=TIMEOUT):
    deadline = time.perf_counter() + timeout
    while time.perf_counter() < deadline:
        if re.search(pattern, tmux(socket, "capture-pane", "-p", "-t", "bench"), re.MULTILINE):
            return time.perf_counter()
        time.sleep(0.01)
    return None


def time_paste(socket, command, ready, paste_path, answer):
    """Seconds from the paste to the answer, or None when none came."""
    tmux(socket, "respawn-pane", "-k", "-t", "bench", command)
    if ready:
        wait_for(socket, ready, 10)
    else:
        time.sleep(0.5)
    tmux(socket, "load-buffer", str(paste_path))
    start = time.perf_counter()
    tmux(socket, "paste-buffer", "-p", "-t", "bench")
    tmux(socket, "send-keys", "-t", "bench", "Enter")
    end = wait_for(socket, answer)
    return None if end is None else end - start


def paste_rows(binary, work, repeat=REPEAT):
    """One row a size: the best of repeat pastes for each program, in
    seconds, or None when one of its runs gave no answer."""
    if not shutil.which("tmux") or not shutil.which("bc"):
        raise Skipped("tmux or bc is not installed (Debian packages tmux, bc): no paste table")
    socket = work / "tmux.socket"
    tmux(socket, "-f", "/dev/null", "new-session", "-d", "-s", "bench", "-x", "80", "-y", "24")
    tmux(socket, "set-option", "-t", "bench", "remain-on-exit", "on")
    rows = []
    try:
        for size in SIZES:
            count = (size + 1) // 2
            path = work / "paste.txt"
            path.write_text("+".join(["1"] * count))
            times = {}
            for name, command, ready, answer in [
                    ("ostrilume", f"{binary}; sleep 60", "^➤ $", rf"^Tulos:   {count}$"),
                    ("bc -q", "bc -q; sleep 60", None, rf"^{count}$")]:
                runs = [time_paste(socket, command, ready, path, answer) for _ in range(repeat)]
                times[name] = None if None in runs else min(runs)
            rows.append({"bytes": size, "ostrilume s": times["ostrilume"], "bc -q s": times["bc -q"]})
    finally:
        tmux(socket, "kill-server")
    return rows
