"""The web page in headless Chromium, for the browser test, the benchmark and
the pictures: the browser, a local web server for the page's folder, and
waiting for what the page shows.

As root, Chromium runs only without its sandbox, and on a machine without a
network it must not try to reach one: each of its background services would
wait for connections that are refused."""
import functools
import http.server
import re
import shutil
import threading
import time


FLAGS = ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync", "--hide-scrollbars")

# What the page shows when a run has ended: the program's exit status.
RUN_ENDED = "return document.getElementById('terminal').dataset.exitStatus !== undefined"
# Pastes arguments[0] into the page's field as a pupil would: the page sees
# the paste event, and what it leaves to the browser goes into the field.
PASTE = """const field = document.getElementById('expression');
field.focus();
const data = new DataTransfer();
data.setData('text/plain', arguments[0]);
const paste = new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true });
if (field.dispatchEvent(paste)) field.value = arguments[0].replace(/[\\r\\n]/g, '');"""
# What the page shows when the program waits for a line.
PROMPT_SHOWN = "return document.getElementById('status').textContent.startsWith('Kirjoita lauseke')"


def missing_tool():
    """The Debian package of a tool that is not installed, or None."""
    for tool, package in (("chromium", "chromium"), ("chromedriver", "chromium-driver")):
        if not shutil.which(tool):
            return package
    return None


def kept_files(folder):
    """The files the page's service worker in folder keeps, as the build
    listed them in it."""
    return re.findall(r"^ +'([^']+)': '[0-9a-f]+',$", (folder / "ostrilume-sw.js").read_text(), re.M)


def plain_name(name):
    """A file of the page under its own name, without the digest that the
    build puts into the names of its scripts and its style sheet."""
    return re.sub(r"\.[0-9a-f]{8}(?=\.(js|css)$)", "", name)


def start_browser(profile, log_console=False, flags=()):
    """A browser with its own empty profile folder, and any more flags."""
    # Selenium only here: what the page's folder holds is read without it.
    from selenium import webdriver
    from selenium.webdriver.chrome.options import Options
    from selenium.webdriver.chrome.service import Service

    options = Options()
    options.binary_location = shutil.which("chromium")
    for flag in FLAGS + (f"--user-data-dir={profile}",) + tuple(flags):
        options.add_argument(flag)
    if log_console:
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def start_server(folder):
    """A static web server for folder on a free local port, and the page's address there."""
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(QuietHandler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/index.html"


def wait_for(browser, script, what, seconds=20):
    """The first true value that script returns in the page, polled."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = browser.execute_script(script)
        if value:
            return value
        time.sleep(0.02)
    raise AssertionError(f"timed out waiting for {what}")
