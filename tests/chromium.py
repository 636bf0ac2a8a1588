"""Headless Chromium for the browser test, the benchmark and the pictures.

As root, Chromium runs only without its sandbox, and on a machine without a
network it must not try to reach one: each of its background services would
wait for connections that are refused."""
import shutil

from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service

FLAGS = ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync", "--hide-scrollbars")


def missing_tool():
    """The Debian package of a tool that is not installed, or None."""
    for tool, package in (("chromium", "chromium"), ("chromedriver", "chromium-driver")):
        if not shutil.which(tool):
            return package
    return None


def start_browser(profile, log_console=False):
    """A browser with its own empty profile folder."""
    options = Options()
    options.binary_location = shutil.which("chromium")
    for flag in FLAGS + (f"--user-data-dir={profile}",):
        options.add_argument(flag)
    if log_console:
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
