#!/usr/bin/python3
"""The web page in headless Chromium, byte for byte against the Linux program.

Usage: browser_test.py PAGE_FOLDER LINUX_PROGRAM WORK_FOLDER

Opens PAGE_FOLDER/index.html from a local web server and straight from the
disk, at a desktop and a phone viewport, types each row's lines into the page
as a user does and compares the text of the page's role="log" element with
what a terminal shows of the Linux program given the same lines: its output,
with each typed line echoed after the prompt. The exit status shown must be
the program's. A screenshot of each page and viewport is kept in WORK_FOLDER.
Runs with Debian's own Python 3, which has Selenium (package
python3-selenium); it skips (77) when a tool is missing.
"""

import os
import pathlib
import subprocess
import sys
import tempfile
import urllib.parse

SKIP = 77
try:
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys

    from page_browser import RUN_ENDED, missing_tool, start_browser, start_server, wait_for
except ImportError:
    print("SKIPPED: Selenium is not installed (Debian package python3-selenium)")
    sys.exit(SKIP)

# What the page's worker hands on at a time; a character that straddles two
# parts must still arrive whole.
OUTPUT_PART = 4096
PROMPT = "➤ ".encode()

# Each row: a name, the arguments, the lines typed (None: Ctrl+D, the end of
# input) and whether the expression comes in the page's address instead.
ROWS = [
    ("worked example", [], ["3*(2+5)^2"], False),
    ("Finnish letter, trace", ["--debug"], ["ä3*(2+5)^2"], False),
    ("first word only", [], ["2 + 3"], False),
    ("blank line first", [], ["", "  7*6  "], False),
    ("subtracting a negative group, trace", ["--debug"], ["10-(3-5)"], False),
    ("division by zero", [], ["1/0+5"], False),
    ("unmatched parenthesis", [], ["(1+2"], False),
    ("no input at all", [], [None], False),
    # A long trace: the test checks below that a glyph straddles two parts.
    ("glyph split between two parts, trace", ["--debug"], ["ä(1,5+2)*(3-4)/(5^2-6)+(7*8)-(9/10)^2^(1/2)"], False),
    ("from the address, trace", ["--debug"], ["3*(2+5)^2"], True),
]

VIEWPORTS = {"desktop": (1280, 900), "phone": (360, 740)}


def linux_screen(program, args, lines):
    """What a terminal shows: the output, each typed line echoed after the prompt."""
    typed = b"".join(line.encode() + b"\n" for line in lines if line is not None)
    run = subprocess.run([program, *args], input=typed, capture_output=True, check=False)
    if run.stderr:
        raise AssertionError(f"the Linux program wrote to standard error: {run.stderr!r}")
    prompt_end = run.stdout.index(PROMPT) + len(PROMPT)
    screen = run.stdout[:prompt_end] + typed + run.stdout[prompt_end:]
    return screen.decode(), run.stdout, prompt_end, run.returncode


def straddles_a_part(output, prompt_end):
    """Whether some part after the input begins inside a character."""
    return any(output[at] & 0xC0 == 0x80 for at in range(prompt_end + OUTPUT_PART, len(output), OUTPUT_PART))


WAITING = "return !document.getElementById('expression').disabled && !document.getElementById('terminal').dataset.exitStatus"


def address(base, args, lines, from_address):
    parts = ["debug"] if "--debug" in args else []
    if from_address:
        parts.append("x=" + urllib.parse.quote("\n".join(lines), safe=""))
    return base + ("?" + "&".join(parts) if parts else "")


def run_row(browser, base, row):
    name, args, lines, from_address = row
    browser.get(address(base, args, lines, from_address))
    if not from_address:
        field = browser.find_element(By.ID, "expression")
        for line in lines:
            wait_for(browser, WAITING, f"the prompt ({name})")
            if line is None:
                field.send_keys(Keys.CONTROL, "d")
            else:
                field.send_keys(line + Keys.ENTER)
    wait_for(browser, RUN_ENDED, f"the end of the run ({name})")
    logs = browser.find_elements(By.CSS_SELECTOR, '[role="log"]')
    assert len(logs) == 1, f"{len(logs)} elements with role=log"
    return logs[0].get_attribute("textContent"), int(logs[0].get_attribute("data-exit-status"))


def check_page(browser, base, program, viewport, failures):
    for row in ROWS:
        name, args, lines, from_address = row
        expected, _, _, expected_status = linux_screen(program, args, lines)
        shown, status = run_row(browser, base, row)
        if shown != expected:
            at = next((i for i, (a, b) in enumerate(zip(shown, expected)) if a != b), min(len(shown), len(expected)))
            failures.append(f"{viewport}, {name}: the log differs from the terminal at character {at}:\n"
                            f"  page:     {shown[max(0, at - 40):at + 40]!r}\n"
                            f"  terminal: {expected[max(0, at - 40):at + 40]!r}")
        if status != expected_status:
            failures.append(f"{viewport}, {name}: exit status {status}, the Linux program's {expected_status}")


def check_fresh_run_and_link(browser, base, program, failures):
    """Enter after a run starts another below it; the link opens the same run."""
    first, second = "1,5*2", "2^-1"
    browser.get(address(base, ["--debug"], [], False))
    field = browser.find_element(By.ID, "expression")
    wait_for(browser, WAITING, "the prompt")
    field.send_keys(first + Keys.ENTER)
    wait_for(browser, RUN_ENDED, "the end of the first run")
    link = urllib.parse.urlsplit(browser.find_element(By.ID, "link").get_attribute("href"))
    wanted = urllib.parse.urlsplit(address(base, ["--debug"], [first], True))
    if link[:3] != wanted[:3] or urllib.parse.parse_qs(link.query, True) != urllib.parse.parse_qs(wanted.query, True):
        failures.append(f"the link to the run is {link.geturl()}")
    field.send_keys(second + Keys.ENTER)
    wait_for(browser, RUN_ENDED, "the end of the second run")
    shown = browser.find_element(By.ID, "terminal").get_attribute("textContent")
    expected = linux_screen(program, ["--debug"], [first])[0] + linux_screen(program, ["--debug"], [second])[0]
    if shown != expected:
        failures.append("two runs in a row: the log is not the two terminals' screens one after the other")


def check_layout(browser, viewport, failures):
    width = browser.execute_script("return [document.documentElement.scrollWidth, document.documentElement.clientWidth]")
    if width[0] > width[1]:
        failures.append(f"{viewport}: the page scrolls sideways ({width[0]} > {width[1]} pixels)")
    foreign = browser.execute_script(
        "return performance.getEntriesByType('resource').map(e => e.name)"
        ".filter(n => !n.startsWith(location.origin) && !n.startsWith('file:') && !n.startsWith('blob:'))")
    if foreign:
        failures.append(f"{viewport}: loaded from elsewhere: {foreign}")
    complaints = [entry["message"] for entry in browser.get_log("browser") if entry["level"] == "SEVERE"]
    if complaints:
        failures.append(f"{viewport}: the console reports {complaints}")


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    folder, program, work = (os.path.abspath(argument) for argument in sys.argv[1:])
    if missing_tool():
        print(f"SKIPPED: Chromium is not installed (Debian package {missing_tool()})")
        return SKIP
    split_row = next(row for row in ROWS if row[0].startswith("glyph split"))
    _, output, prompt_end, _ = linux_screen(program, split_row[1], split_row[2])
    if not straddles_a_part(output, prompt_end):
        print("FAILED: the long trace no longer puts a character across two parts: lengthen its expression")
        return 1

    screenshots = pathlib.Path(work, "screenshots")
    screenshots.mkdir(parents=True, exist_ok=True)
    server, served = start_server(folder)
    pages = {"server": served,
             "file": pathlib.Path(folder, "index.html").as_uri()}
    failures = []
    with tempfile.TemporaryDirectory() as profile:
        browser = start_browser(profile, log_console=True)
        try:
            for page, base in pages.items():
                for viewport, (width, height) in VIEWPORTS.items():
                    where = f"{page}, {viewport}"
                    browser.set_window_size(width, height)
                    check_page(browser, base, program, where, failures)
                    check_layout(browser, where, failures)
                    browser.get(address(base, ["--debug"], ["ä3*(2+5)^2"], True))
                    wait_for(browser, RUN_ENDED, "the run for the screenshot")
                    browser.save_screenshot(str(screenshots / f"{page}-{viewport}.png"))
                check_fresh_run_and_link(browser, base, program, failures)
        finally:
            browser.quit()
            server.shutdown()
    for failure in failures:
        print("FAILED:", failure)
    if not failures:
        print(f"{len(ROWS)} inputs and two runs in a row, from a server and from a file, at "
              f"{' and '.join(f'{w}x{h}' for w, h in VIEWPORTS.values())}: the same text as the "
              f"Linux program's terminal; screenshots in {screenshots}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
