#!/usr/bin/python3
"""The web page in headless Chromium, byte for byte against the Linux program,
and as pupils and teachers use it.

Usage: browser_test.py PAGE_FOLDER LINUX_PROGRAM WORK_FOLDER

Opens PAGE_FOLDER/index.html from a local web server at a desktop viewport
(the first row also from the disk and at a phone's viewport), types each
row's lines into the page as a user does and compares the text of the
page's role="log" element with
what a terminal shows of the Linux program given the same lines: its output,
with each typed line echoed after the prompt. The exit status shown must be
the program's, the status region must read out its result and messages, and
the field must keep its focus. Then: axe-core finds no WCAG 2.0 or 2.1 A or
AA violation on the calculator and its manual, at both viewports and before
and after a plain and a traced run; the terminal's text is readable on a
phone and follows the reader's text size; a stop ends a run; the link can be
copied where the clipboard interface is missing; and, served, the page is
installable and answers offline after one visit. A screenshot of each page
and viewport is kept in WORK_FOLDER. Runs with Debian's own Python 3, which
has Selenium (package python3-selenium); it skips (77) when a tool is
missing, and when only axe-core is missing (npm ci) it says so after the
rest has passed.
"""

import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

SKIP = 77
ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "harness"))
try:
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys

    from page_browser import (PASTE, PROMPT_SHOWN, RUN_ENDED, missing_tool, start_browser,
                              start_server, wait_for)
except ImportError:
    print("SKIPPED: Selenium is not installed (Debian package python3-selenium)")
    sys.exit(SKIP)

AXE = ROOT / "node_modules" / "axe-core" / "axe.min.js"

# What the page's worker hands on at a time; a character that straddles two
# parts must still arrive whole.
OUTPUT_PART = 4096
PROMPT = "➤ ".encode()

# Ctrl+D, the end of input, as typed with and without Shift.
END = (Keys.CONTROL, "d")
END_SHIFTED = (Keys.CONTROL, Keys.SHIFT, "d")

# Each row: a name, the arguments, the lines typed (or END), and whether the
# expression comes in the page's address instead: quoted as the page quotes
# it, or as someone writes a link by hand.
TYPED, QUOTED, BY_HAND = "typed", "quoted", "by hand"
ROWS = [
    ("worked example", [], ["3*(2+5)^2"], TYPED),
    ("Finnish letter, trace", ["--debug"], ["ä3*(2+5)^2"], TYPED),
    ("first word only", [], ["2 + 3"], TYPED),
    ("blank line first", [], ["", "  7*6  "], TYPED),
    ("subtracting a negative group, trace", ["--debug"], ["10-(3-5)"], TYPED),
    ("division by zero", [], ["1/0+5"], TYPED),
    ("unmatched parenthesis", [], ["(1+2"], TYPED),
    ("no input at all", [], [END], TYPED),
    ("no input at all, Shift held", [], [END_SHIFTED], TYPED),
    # A long trace: the test checks below that a glyph straddles two parts.
    ("glyph split between two parts, trace", ["--debug"], ["ä(1,5+2)*(3-4)/(5^2-6)+(7*8)-(9/10)^2^(1/2)"], TYPED),
    ("from the address, trace", ["--debug"], ["3*(2+5)^2"], QUOTED),
    ("a plus in a link written by hand", [], ["2+3"], BY_HAND),
    # Characters the calculator passes over, pasted from a worksheet.
    ("a minus sign and a square from a worksheet", [], ["−3+2²x"], TYPED),
    # Two messages and a notice leave the messages too little room.
    ("two messages cut to fit the status region", [], ["(2+(1/0) 3"], TYPED),
]

VIEWPORTS = {"desktop": (1280, 900), "phone": (360, 740)}
NARROWEST = (320, 640)
SMALLEST_TEXT_PX = 12

WATCH_FOCUS = """window.blurs = 0;
document.getElementById('expression').addEventListener('blur', () => { window.blurs++; });"""


def typed_bytes(lines):
    return b"".join(line.encode() + b"\n" for line in lines if isinstance(line, str))


def linux_screen(program, args, lines):
    """What a terminal shows: the output, each typed line echoed after the prompt."""
    typed = typed_bytes(lines)
    run = subprocess.run([program, *args], input=typed, capture_output=True, check=False)
    if run.stderr:
        raise AssertionError(f"the Linux program wrote to standard error: {run.stderr!r}")
    prompt_end = run.stdout.index(PROMPT) + len(PROMPT)
    screen = run.stdout[:prompt_end] + typed + run.stdout[prompt_end:]
    return screen.decode(), run.stdout, prompt_end, run.returncode


def straddles_a_part(output, prompt_end):
    """Whether some part after the input begins inside a character."""
    return any(output[at] & 0xC0 == 0x80 for at in range(prompt_end + OUTPUT_PART, len(output), OUTPUT_PART))


def address(base, args, lines, given=TYPED):
    parts = ["debug"] if "--debug" in args else []
    if given == QUOTED:
        parts.append("x=" + urllib.parse.quote("\n".join(lines), safe=""))
    elif given == BY_HAND:
        parts.append("x=" + "\n".join(lines))
    return base + ("?" + "&".join(parts) if parts else "")


def run_row(browser, base, row):
    """Types the row's lines; the log's text, the exit status, the status
    region's text, the notice beside the log and how often the field lost focus."""
    name, args, lines, given = row
    browser.get(address(base, args, lines, given))
    if given == TYPED:
        field = browser.find_element(By.ID, "expression")
        wait_for(browser, PROMPT_SHOWN, f"the prompt ({name})")
        browser.execute_script(WATCH_FOCUS)
        for line in lines:
            wait_for(browser, PROMPT_SHOWN, f"the prompt ({name})")
            if isinstance(line, tuple):
                field.send_keys(*line)
            else:
                field.send_keys(line + Keys.ENTER)
    wait_for(browser, RUN_ENDED, f"the end of the run ({name})")
    logs = browser.find_elements(By.CSS_SELECTOR, '[role="log"]')
    assert len(logs) == 1, f"{len(logs)} elements with role=log"
    return browser.execute_script(
        "const log = document.querySelector('[role=log]');"
        "const notice = document.getElementById('notice');"
        "return {shown: log.textContent, status: Number(log.dataset.exitStatus),"
        " said: document.querySelector('[role=status]#result').textContent,"
        " notice: notice.hidden ? '' : notice.textContent, blurs: window.blurs,"
        " focused: document.activeElement.id}")


def error_messages(output):
    """The program's error messages, as its output gives them."""
    return re.findall(r"^❌\s+VIRHE:\s*(.*)$", output.decode(), re.M)


def expected_announcement(output):
    """What the status region must hold of a run: its messages and its result."""
    messages = error_messages(output)[:2]
    answers = re.findall(r"^Tulos:\s+(.*)$", output.decode(), re.M)
    return [message[:30] for message in messages] + [f"Tulos: {answers[-1]}" for _ in answers[-1:]]


# What the calculator reads of its word, and what the page says was meant
# by a character it passes over.
READ = set("0123456789.,+-*/^()")
MEANT = {"−": "-", "–": "-", "×": "*", "·": "*", "÷": "/", ":": "/", "²": "^2", "³": "^3"}


def passed_over(lines):
    """The characters of the first word that the calculator passes over, each once."""
    text = next((line for line in lines if isinstance(line, str) and line.strip(" \t\n\v\f\r")), "")
    word = re.split(r"[ \t\n\v\f\r]+", text.strip(" \t\n\v\f\r"))[0]
    return [character for character in dict.fromkeys(word) if character not in READ]


def cut_inside_a_word(said, output):
    """A message that the status region cuts inside a word or follows its
    ellipsis with a full stop, or None."""
    messages = [f"Virhe: {message}" for message in error_messages(output)]
    if "…." in said:
        return "a full stop after the ellipsis"
    for piece in re.findall(r"(?:^| )(Virhe: (?:(?!Virhe: )[^…])*)…", said):
        whole = next((message for message in messages if message.startswith(piece)), "")
        if not whole[len(piece):].startswith(" "):
            return f"{piece}… is cut inside a word of {whole!r}"
    return None


def check_row(browser, base, program, where, row, failures):
    name, args, lines, given = row
    expected, output, _, expected_status = linux_screen(program, args, lines)
    seen = run_row(browser, base, row)
    shown = seen["shown"]
    if shown != expected:
        at = next((i for i, (a, b) in enumerate(zip(shown, expected)) if a != b), min(len(shown), len(expected)))
        failures.append(f"{where}, {name}: the log differs from the terminal at character {at}:\n"
                        f"  page:     {shown[max(0, at - 40):at + 40]!r}\n"
                        f"  terminal: {expected[max(0, at - 40):at + 40]!r}")
    if seen["status"] != expected_status:
        failures.append(f"{where}, {name}: exit status {seen['status']}, the Linux program's {expected_status}")
    said = seen["said"]
    missing = [part for part in expected_announcement(output) if part not in said]
    if missing or len(said) > 200:
        failures.append(f"{where}, {name}: the status region says {said!r}, not {missing}")
    passed = passed_over(lines)
    notice = seen["notice"]
    named = all(character in notice and (character not in MEANT or f"tarkoititko {MEANT[character]}?" in notice)
                for character in passed[:6])
    if bool(passed) != ("ohitti" in notice) or not named:
        failures.append(f"{where}, {name}: the notice names {notice!r} of the characters passed over {passed}")
    cut = cut_inside_a_word(said, output)
    if cut:
        failures.append(f"{where}, {name}: the status region says {said!r}: {cut}")
    several_words = any(isinstance(line, str) and len(line.split()) > 1 for line in lines)
    if several_words != ("ensimmäisen sanan" in seen["notice"]):
        failures.append(f"{where}, {name}: the notice beside the log is {seen['notice']!r}")
    if given == TYPED and (seen["blurs"] != 0 or seen["focused"] != "expression"):
        failures.append(f"{where}, {name}: the field lost its focus {seen['blurs']} times; "
                        f"{seen['focused'] or 'the page'} has it")


def check_fresh_run_and_link(browser, base, program, failures):
    """Enter after a run starts another below it; the link opens the same run."""
    first, second = "1,5*2", "2^-1"
    browser.get(address(base, ["--debug"], []))
    field = browser.find_element(By.ID, "expression")
    wait_for(browser, PROMPT_SHOWN, "the prompt")
    field.send_keys(first + Keys.ENTER)
    wait_for(browser, RUN_ENDED, "the end of the first run")
    link = urllib.parse.urlsplit(browser.find_element(By.ID, "link").get_attribute("href"))
    wanted = urllib.parse.urlsplit(address(base, ["--debug"], [first], QUOTED))
    if link[:3] != wanted[:3] or urllib.parse.parse_qs(link.query, True) != urllib.parse.parse_qs(wanted.query, True):
        failures.append(f"the link to the run is {link.geturl()}")
    field.send_keys(second + Keys.ENTER)
    wait_for(browser, RUN_ENDED, "the end of the second run")
    shown = browser.find_element(By.ID, "terminal").get_attribute("textContent")
    expected = linux_screen(program, ["--debug"], [first])[0] + linux_screen(program, ["--debug"], [second])[0]
    if shown != expected:
        failures.append("two runs in a row: the log is not the two terminals' screens one after the other")


def check_long_paste(browser, base, failures):
    """A paste too long to edit runs from beside the field, which stays
    empty, and is not offered as a link, which could not hold it."""
    browser.get(base)
    wait_for(browser, PROMPT_SHOWN, "the prompt")
    browser.execute_script(PASTE, "1+" * 5000 + "1")
    held = browser.execute_script("return document.getElementById('expression').value.length")
    browser.find_element(By.ID, "send").click()
    wait_for(browser, RUN_ENDED, "the end of the long run")
    shown = browser.execute_script(
        "const visible = (id) => !document.getElementById(id).hidden;"
        "return [visible('link-line'), visible('too-long'), document.getElementById('link').href.length,"
        " document.getElementById('answer').textContent]")
    if held or shown[0] or not shown[1] or shown[2] > 8000 or shown[3] != "Tulos: 5001":
        failures.append(f"a pasted 10,001-byte expression: {held} characters in the field; the link offered, the "
                        f"page not saying why not, or the wrong result: {shown}")


def check_in_a_frame(browser, served, failures):
    """In a frame of another site, the page leaves the keyboard where it is:
    letters typed into the parent's field stay there while the page loads."""
    with tempfile.TemporaryDirectory() as folder:
        pathlib.Path(folder, "index.html").write_text(
            '<!DOCTYPE html><title>Oppimisalusta</title><link rel="icon" href="data:,"><input id="answer">')
        server, parent = start_server(folder)
        try:
            browser.get(parent)
            browser.find_element(By.ID, "answer").click()
            ActionChains(browser).send_keys("ab").perform()
            browser.execute_script(
                "const frame = document.createElement('iframe'); frame.title = 'Laskin';"
                f"frame.width = 800; frame.height = 600; frame.src = '{served}'; document.body.append(frame)")
            browser.switch_to.frame(browser.find_element(By.TAG_NAME, "iframe"))
            wait_for(browser, PROMPT_SHOWN, "the prompt in a frame")
            framed = browser.find_element(By.ID, "expression").get_attribute("value")
            browser.switch_to.default_content()
            ActionChains(browser).send_keys("cd").perform()
            browser.switch_to.frame(browser.find_element(By.TAG_NAME, "iframe"))
            framed += browser.find_element(By.ID, "expression").get_attribute("value")
            browser.switch_to.default_content()
            parent_field = browser.find_element(By.ID, "answer").get_attribute("value")
            if parent_field != "abcd" or framed != "":
                failures.append(f"in a frame: the parent's field holds {parent_field!r}, the page's {framed!r}")
        finally:
            browser.switch_to.default_content()
            server.shutdown()
            server.server_close()


def check_run_again(browser, base, program, failures):
    """After a run the field holds its expression, selected, so that typing
    replaces it; ArrowUp and ArrowDown go through the visit's expressions;
    the trace switch runs the last lines again in the other mode."""
    browser.get(base)
    field = browser.find_element(By.ID, "expression")
    wait_for(browser, PROMPT_SHOWN, "the prompt")
    field.send_keys("2^3" + Keys.ENTER)
    wait_for(browser, RUN_ENDED, "the first run")
    held = browser.execute_script("const field = document.getElementById('expression');"
                                  "return [field.value, field.selectionStart, field.selectionEnd]")
    if held != ["2^3", 0, 3]:
        failures.append(f"after a run the field holds {held}, not 2^3 selected")
    field.send_keys("4*5" + Keys.ENTER)
    wait_for(browser, RUN_ENDED, "the second run")
    recalled = []
    for key in (Keys.ARROW_UP, Keys.ARROW_UP, Keys.ARROW_DOWN, Keys.ARROW_DOWN):
        field.send_keys(key)
        recalled.append(field.get_attribute("value"))
    if recalled != ["2^3", "2^3", "4*5", ""]:
        failures.append(f"ArrowUp, ArrowUp, ArrowDown, ArrowDown give {recalled}")
    browser.find_element(By.ID, "debug").click()
    wait_for(browser, RUN_ENDED, "the run in the other mode")
    shown = browser.find_element(By.ID, "terminal").get_attribute("textContent")
    if not shown.endswith(linux_screen(program, ["--debug"], ["4*5"])[0]):
        failures.append("ticking the trace switch after a run does not run it again with the trace")


def check_trace_switch_at_start(browser, base, program, failures):
    """Ticked while the program still starts, the switch starts it again with
    the trace, as it does at the prompt."""
    browser.get(base)
    browser.execute_script("document.getElementById('debug').click()")
    wait_for(browser, PROMPT_SHOWN, "the prompt")
    browser.find_element(By.ID, "expression").send_keys("2^3" + Keys.ENTER)
    wait_for(browser, RUN_ENDED, "the traced run")
    if browser.find_element(By.ID, "terminal").get_attribute("textContent") != \
            linux_screen(program, ["--debug"], ["2^3"])[0]:
        failures.append("the trace switch ticked at the start: the run is not traced")


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


def terminal_text_px(browser):
    return float(browser.execute_script(
        "return parseFloat(getComputedStyle(document.getElementById('terminal')).fontSize)"))


def check_reading(browser, base, failures):
    """The log is read in a status region, not as a live region, and its
    letters are readable on the narrowest phone and grow with the reader's
    text size."""
    browser.get(base)
    wait_for(browser, PROMPT_SHOWN, "the prompt")
    live = browser.execute_script("return document.querySelector('[role=log]').getAttribute('aria-live')")
    if live != "off":
        failures.append(f"the log is a live region (aria-live {live!r}): a screen reader hears every byte")
    for width, height in (VIEWPORTS["phone"], NARROWEST):
        browser.set_window_size(width, height)
        size = terminal_text_px(browser)
        if size < SMALLEST_TEXT_PX:
            failures.append(f"{width} pixels wide: the terminal's text is {size} px, below {SMALLEST_TEXT_PX}")
        check_layout(browser, f"{width} pixels wide", failures)
    before = terminal_text_px(browser)
    browser.execute_cdp_cmd("Page.setFontSizes", {"fontSizes": {"standard": 24, "fixed": 24}})
    browser.get(base)
    wait_for(browser, PROMPT_SHOWN, "the prompt")
    after = terminal_text_px(browser)
    browser.execute_cdp_cmd("Page.setFontSizes", {"fontSizes": {"standard": 16, "fixed": 13}})
    if after < before * 1.4:
        failures.append(f"the terminal's text stays {after} px when the reader's text grows from 16 to 24 px")


# A phone, the narrowest phone, and a laptop's screen at 200 % zoom, as
# width, height and device pixels per CSS pixel.
FIRST_SCREENS = [(360, 640, 2), (320, 568, 2), (640, 450, 2)]


def check_first_screen(browser, base, failures):
    """The field and Laske are on the first screen, on one line, without
    scrolling, after a traced run as at the start."""
    for width, height, scale in FIRST_SCREENS:
        browser.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                {"width": width, "height": height, "deviceScaleFactor": scale, "mobile": True})
        try:
            for lines in ([], ["2^(1+2)"]):
                browser.get(address(base, ["--debug"], lines, QUOTED))
                wait_for(browser, RUN_ENDED if lines else PROMPT_SHOWN, f"the page at {width}x{height}")
                placed = browser.execute_script(
                    "const field = document.getElementById('expression').getBoundingClientRect();"
                    "const send = document.getElementById('send').getBoundingClientRect();"
                    "return [field.bottom <= innerHeight && send.bottom <= innerHeight, send.top < field.bottom"
                    " && field.top < send.bottom, scrollY === 0]")
                if placed != [True, True, True]:
                    failures.append(f"{width}x{height}, {'after a run' if lines else 'at the start'}: the field and "
                                    f"Laske on the first screen, on one line, unscrolled: {placed}")
        finally:
            browser.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


def check_stop(browser, base, failures):
    """A run of seconds (20 MB of nested groups) stops at once, and the next line runs."""
    browser.get(base)
    wait_for(browser, PROMPT_SHOWN, "the prompt")
    browser.execute_script(WATCH_FOCUS + "document.getElementById('expression').value ="
                           " '('.repeat(1e7) + '1' + ')'.repeat(1e7); document.getElementById('send').click()")
    wait_for(browser, "return !document.getElementById('stop').hidden", "the stop button")
    browser.find_element(By.ID, "stop").click()
    grown = browser.execute_script(
        "const log = document.getElementById('terminal'); const length = log.textContent.length;"
        "return new Promise((done) => setTimeout(() => done(log.textContent.length - length), 500))")
    state = browser.execute_script(
        "const field = document.getElementById('expression');"
        "return {status: document.getElementById('status').textContent, readOnly: field.readOnly,"
        " exit: document.getElementById('terminal').dataset.exitStatus, focused: document.activeElement.id}")
    if grown or "pysäytetty" not in state["status"] or state["readOnly"] or state["exit"] is not None:
        failures.append(f"stop: the run goes on or the page is not ready: {grown} more characters, {state}")
    if state["focused"] != "expression":
        failures.append(f"stop: {state['focused'] or 'the page'} has the focus, not the field")
    browser.find_element(By.ID, "expression").send_keys("2+3" + Keys.ENTER)
    wait_for(browser, RUN_ENDED, "the run after the stop")
    if browser.find_element(By.ID, "result").get_attribute("textContent") != "Tulos: 5":
        failures.append("stop: the next line does not run")


def check_scrollback(browser, base, program, failures):
    """A trace of 120,000 lines keeps the last 10,000 or a block more, whole
    lines as the terminal shows them, and says how many were left out."""
    expression = "1+" * 60000 + "1"
    screen = linux_screen(program, ["--debug"], [expression])[0]
    browser.get(address(base, ["--debug"], []))
    wait_for(browser, PROMPT_SHOWN, "the prompt")
    browser.execute_script("document.getElementById('expression').value = arguments[0];"
                           " document.getElementById('send').click()", expression)
    wait_for(browser, RUN_ENDED, "the end of the long trace")
    shown, said = browser.execute_script(
        "const line = document.getElementById('left-out');"
        "return [document.getElementById('terminal').textContent, line.hidden ? '' : line.textContent]")
    left_out = screen[:len(screen) - len(shown)].count("\n")
    counted = re.sub(r"\D", "", said.split("riviä")[0])
    if not screen.endswith(shown) or not screen[:len(screen) - len(shown)].endswith("\n") \
            or not 10000 <= shown.count("\n") < 10000 + 256 or counted != str(left_out):
        failures.append(f"scrollback: {shown.count(chr(10))} lines shown, {left_out} left out, the page says "
                        f"{said!r}; the end is the terminal's: {screen.endswith(shown)}")


def check_copy_without_clipboard(browser, folder, failures):
    """On a plain-http origin other than this machine's own name, where the
    clipboard interface is missing, the link is shown selected to copy."""
    server, served = start_server(folder)
    try:
        browser.get(on_plain_origin(served) + "?x=2%2B3")
        wait_for(browser, RUN_ENDED, "the run on ostrilume.test")
        secure = browser.execute_script("return [window.isSecureContext, Boolean(navigator.clipboard)]")
        if secure != [False, False]:
            failures.append(f"copy: ostrilume.test is a secure context with a clipboard ({secure}): no test")
        browser.find_element(By.ID, "copy").click()
        selected = browser.execute_script(
            "const text = document.getElementById('link-text');"
            "return [document.activeElement === text, text.selectionStart === 0 &&"
            " text.selectionEnd === text.value.length, text.value === document.getElementById('link').href,"
            " !document.getElementById('link-copy').hidden]")
        if selected != [True, True, True, True]:
            failures.append(f"copy: the link is not shown selected to copy: {selected}")
        check_layout(browser, "ostrilume.test", failures)
    finally:
        server.shutdown()
        server.server_close()


def check_installable_and_offline(browser, folder, program, failures):
    """Served, the page can be installed; after one visit, with the server
    stopped, a reload reaches the prompt and answers."""
    server, served = start_server(folder)
    try:
        browser.get(served)
        wait_for(browser, PROMPT_SHOWN, "the prompt")
        errors = browser.execute_cdp_cmd("Page.getInstallabilityErrors", {})["installabilityErrors"]
        if errors:
            failures.append(f"installing: {[error['errorId'] for error in errors]}")
        wait_for(browser, "return navigator.serviceWorker.controller !== null", "the service worker to keep the page")
    except AssertionError as error:
        failures.append(f"offline after one visit: {error}")
        return
    finally:
        server.shutdown()
        server.server_close()
    try:
        browser.get(served + "?x=3*(2%2B5)^2")
        wait_for(browser, RUN_ENDED, "the run offline")
        shown = browser.find_element(By.ID, "terminal").get_attribute("textContent")
        if shown != linux_screen(program, [], ["3*(2+5)^2"])[0]:
            failures.append("offline: the page does not answer as the program does")
    except AssertionError as error:
        failures.append(f"offline after one visit: {error}")


# Asks the browser to look for a new service worker now, as it does on its
# own now and then, and waits until any install has ended and a worker that
# installed has taken over this page, which it then has told.
UPDATE_NOW = """const done = arguments[arguments.length - 1];
const tick = () => new Promise((resolve) => setTimeout(resolve, 50));
navigator.serviceWorker.getRegistration().then(async (registration) => {
    await registration.update().catch(() => {});
    while (registration.installing || registration.waiting) await tick();
    while (registration.active && navigator.serviceWorker.controller !== registration.active) await tick();
    await tick();
    done(true);
});"""

# What tells the two releases of the update test apart: a line of the page
# and one of its script, which must always agree.
RELEASE_SEEN = ("return [document.querySelector('meta[name=release]')?.content ?? 'old',"
                " window.ostrilumeRelease ?? 'old']")


def new_release(folder, work):
    """The page with its HTML and its script both marked new, named and kept
    by the build's own scripts."""
    release = pathlib.Path(work, "new-release")
    shutil.rmtree(release, ignore_errors=True)
    shutil.copytree(folder, release)
    index = release / "index.html"
    index.write_text(index.read_text().replace("<head>", '<head>\n<meta name="release" content="new">', 1))
    script = release / re.search(r'src="(ostrilume\.[^"]*js)"', index.read_text())[1]
    script.write_text(script.read_text() + "window.ostrilumeRelease = 'new';\n")
    packaging = ROOT / "packaging"
    for step in ([f"-DPAGE={release}", "-P", str(packaging / "page-names.cmake")],
                 [f"-DTEMPLATE={ROOT / 'web' / 'ostrilume-sw.js'}", f"-DOUTPUT={release / 'ostrilume-sw.js'}",
                  "-DVERSION=new", f"-DPAGE={release}", "-P", str(packaging / "service-worker.cmake")]):
        subprocess.run(["cmake", *step], check=True, stdout=subprocess.DEVNULL)
    return release


def served_copy(source, work, name):
    """A fresh copy of the page in source, as a server's folder."""
    folder = pathlib.Path(work, name)
    shutil.rmtree(folder, ignore_errors=True)
    shutil.copytree(source, folder)
    return folder


def on_plain_origin(served):
    """The same address under ostrilume.test, which the browser maps to this
    machine: plain http, where no service worker or clipboard interface runs."""
    return served.replace("127.0.0.1", "ostrilume.test")


def copy_orders(release):
    """The orders in which a teacher's copy may put the files on the server."""
    names = sorted(path.name for path in release.iterdir())
    return {"alphabetical": names, "reverse": names[::-1],
            "service worker last": [name for name in names if name != "ostrilume-sw.js"] + ["ostrilume-sw.js"]}


def check_mix(browser, where, failures):
    """Whether the page shown runs one release whole."""
    seen = browser.execute_script(RELEASE_SEEN)
    if seen[0] != seen[1]:
        failures.append(f"{where} ran the page of release {seen[0]} with the script of release {seen[1]}")


def check_update(browser, folder, release, work, failures):
    """A new release copied over the old one, file by file, in three orders:
    every visit runs one release whole, and once the copy is complete the
    open tab offers the new one, which the next visit runs."""
    for order, copied in copy_orders(release).items():
        served_folder = served_copy(folder, work, f"served-{order.replace(' ', '-')}")
        server, served = start_server(served_folder)
        try:
            browser.get(served)
            wait_for(browser, "return navigator.serviceWorker.controller !== null", "the old release kept")
            offered = False
            for name in copied:
                (served_folder / name).write_bytes((release / name).read_bytes())
                for visit in ("a visit", "the visit after"):
                    browser.get(served)
                    wait_for(browser, PROMPT_SHOWN, f"the prompt ({order}, {name} copied)")
                    check_mix(browser, f"update, {order}: with {name} copied {visit}", failures)
                    browser.execute_async_script(UPDATE_NOW)
                    offered = offered or browser.execute_script("return !document.getElementById('update').hidden")
            if not offered:
                failures.append(f"update, {order}: no open tab said that a new release had come")
            browser.get(served)
            wait_for(browser, PROMPT_SHOWN, f"the prompt after the copy ({order})")
            if browser.execute_script(RELEASE_SEEN) != ["new", "new"]:
                failures.append(f"update, {order}: the visit after the notice runs {browser.execute_script(RELEASE_SEEN)}")
        except AssertionError as error:
            failures.append(f"update, {order}: {error}")
        finally:
            server.shutdown()
            server.server_close()


# Once the page's scripts have run: what its status line says.
STATUS_WHEN_LOADED = "return document.readyState === 'complete' && document.getElementById('status').textContent"
NOT_STARTED = ("Ladataan…", "Laskimen kaikki tiedostot eivät latautuneet")


def check_update_without_worker(browser, folder, release, work, failures):
    """The same copies on a plain-http origin, where no service worker runs
    and the browser's own cache keeps the old release's files, copied weeks
    ago, without asking the server again. Each visit comes by a new address,
    as by a shared link, so that index.html is always fetched: it runs one
    release whole or, while a new file is still missing, does not start; once
    the copy is complete it runs the new one."""
    weeks_ago = time.time() - 30 * 24 * 3600
    for order, copied in copy_orders(release).items():
        served_folder = served_copy(folder, work, f"plain-{order.replace(' ', '-')}")
        for path in served_folder.iterdir():
            os.utime(path, (weeks_ago, weeks_ago))
        server, served = start_server(served_folder)
        served = on_plain_origin(served)
        visits = iter(range(1, 1000))
        try:
            for name in [None, *copied]:
                if name:
                    (served_folder / name).write_bytes((release / name).read_bytes())
                browser.get(f"{served}?visit={next(visits)}")
                said = wait_for(browser, STATUS_WHEN_LOADED, f"the page loaded ({order}, {name} copied)")
                if not said.startswith(NOT_STARTED):
                    wait_for(browser, PROMPT_SHOWN, f"the prompt ({order}, {name} copied)")
                    check_mix(browser, f"update without a service worker, {order}: with {name} copied", failures)
            if browser.execute_script(RELEASE_SEEN) != ["new", "new"]:
                failures.append(f"update without a service worker, {order}: the visit after the copy runs "
                                f"{browser.execute_script(RELEASE_SEEN)}")
        except AssertionError as error:
            failures.append(f"update without a service worker, {order}: {error}")
        finally:
            server.shutdown()
            server.server_close()


def check_missing_file(browser, release, work, failures):
    """A release with one of its scripts still missing says so and does not
    start."""
    served_folder = served_copy(release, work, "plain-missing")
    next(served_folder.glob("ostrilume-field.*.js")).unlink()
    server, served = start_server(served_folder)
    try:
        browser.get(on_plain_origin(served))
        said = wait_for(browser, STATUS_WHEN_LOADED, "the page without one of its files")
        if not said.startswith(NOT_STARTED[1]):
            failures.append(f"a missing file: the page says {said!r}")
    except AssertionError as error:
        failures.append(f"a missing file: {error}")
    finally:
        server.shutdown()
        server.server_close()


def axe_violations(browser):
    """axe-core's WCAG 2.0 and 2.1 A and AA violations on the page shown."""
    browser.execute_script(AXE.read_text() + "\nwindow.axe = axe;")
    return browser.execute_async_script(
        "const done = arguments[0];"
        "axe.run(document, {runOnly: {type: 'tag', values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa']}})"
        ".then((found) => done(found.violations.map((v) => `${v.id} (${v.nodes.length}): ${v.help}: `"
        " + v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join(', '))))")


def check_accessibility(browser, base, viewport, failures):
    """Before a run, after a plain and after a traced run, in the light and
    the dark scheme, and on the manual."""
    states = [("at the prompt", [], None), ("after a plain run", [], "3*(2+5)^2"),
              ("after a traced run", ["--debug"], "ä10-(3-5)")]
    for scheme in ("light", "dark"):
        browser.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
        for state, args, line in states:
            browser.get(address(base, args, [line] if line else [], QUOTED))
            wait_for(browser, RUN_ENDED if line else PROMPT_SHOWN, f"the page {state}")
            for violation in axe_violations(browser):
                failures.append(f"axe, {viewport}, {scheme}, {state}: {violation}")
        browser.get(base.replace("index.html", "ostrilume.html"))
        for violation in axe_violations(browser):
            failures.append(f"axe, {viewport}, {scheme}, the manual: {violation}")
        check_layout(browser, f"{viewport}, the manual", failures)
    browser.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})


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
    started = time.monotonic()
    with tempfile.TemporaryDirectory() as profile:
        browser = start_browser(profile, log_console=True,
                                flags=["--host-resolver-rules=MAP ostrilume.test 127.0.0.1"])
        try:
            for page, base in pages.items():
                for viewport, (width, height) in VIEWPORTS.items():
                    where = f"{page}, {viewport}"
                    browser.set_window_size(width, height)
                    # Every row once; under the other origin and viewport,
                    # whose bytes cannot differ, the first row proves the wiring.
                    rows = ROWS if (page, viewport) == ("server", "desktop") else ROWS[:1]
                    for row in rows:
                        check_row(browser, base, program, where, row, failures)
                    check_layout(browser, where, failures)
                    if page == "server" and AXE.exists():
                        check_accessibility(browser, base, viewport, failures)
                    browser.get(address(base, ["--debug"], ["ä3*(2+5)^2"], QUOTED))
                    wait_for(browser, RUN_ENDED, "the run for the screenshot")
                    browser.save_screenshot(str(screenshots / f"{page}-{viewport}.png"))
                check_fresh_run_and_link(browser, base, program, failures)
            check_trace_switch_at_start(browser, served, program, failures)
            check_run_again(browser, served, program, failures)
            check_long_paste(browser, served, failures)
            check_in_a_frame(browser, served, failures)
            check_reading(browser, served, failures)
            check_first_screen(browser, served, failures)
            check_stop(browser, served, failures)
            check_scrollback(browser, served, program, failures)
            check_copy_without_clipboard(browser, folder, failures)
            check_installable_and_offline(browser, folder, program, failures)
            release = new_release(folder, work)
            check_update(browser, folder, release, work, failures)
            check_update_without_worker(browser, folder, release, work, failures)
            check_missing_file(browser, release, work, failures)
        finally:
            browser.quit()
            server.shutdown()
    for failure in failures:
        print("FAILED:", failure)
    if failures:
        return 1
    print(f"{len(ROWS)} inputs from a server at {'x'.join(map(str, VIEWPORTS['desktop']))}, the first of them and "
          f"two runs in a row also from a file and at {'x'.join(map(str, VIEWPORTS['phone']))}: "
          f"the same text as the Linux program's "
          f"terminal, the result in the status region, the focus kept; readable, stoppable, copyable, "
          f"installable and offline; in {time.monotonic() - started:.0f} s; screenshots in {screenshots}")
    if not AXE.exists():
        print(f"SKIPPED: axe-core is not installed (npm ci, from scripts/install-dependencies): {AXE}")
        return SKIP
    print("axe-core: no WCAG 2.0 or 2.1 A or AA violation at either viewport, light or dark, before and "
          "after a plain and a traced run, on the calculator and its manual")
    return 0


if __name__ == "__main__":
    sys.exit(main())
