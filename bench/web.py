"""The web page: what a browser downloads, how soon the prompt shows, how
the WebAssembly program's evaluation compares with the native program's, how
the page keeps up with a long run, and what Lighthouse makes of it.

- The download: every file of the page as the web archive holds it, raw and
  gzipped (gzip -9, as a web server compresses), and the sum of those the
  page loads: served, every file the service worker keeps for use offline
  (all but the icons, which the browser fetches once, on installing);
  opened from a file, the page and its scripts alone.
- The time from opening the page to the prompt: the page marks the moment
  the program first waits for input (performance.mark "ostrilume-prompt"),
  measured from the start of navigation, in headless Chromium, from a local
  web server and from the file, the median of many loads.
- Evaluation: the benchmark's large inputs through the page's own system
  interface under Node (harness/page_program.mjs) and through the native
  program, taking turns in the same run; each counts its fastest run. A
  one-byte input gives what starting a process (and Node, and compiling the
  module) costs, and the ratio is of what each takes beyond that. V8, in
  Node as in Chrome, first runs WebAssembly in its baseline tier and moves a
  function to its optimising tier only for later calls: the one long call of
  a large expression stays in the baseline. So the WebAssembly runs twice:
  as browsers run it, and with the optimising tier from the start
  (node --no-liftoff), which shows the code itself.
- Long runs in the page: a pasted megabyte and a traced 200 kB expression,
  typed into the page in headless Chromium and run through the same module
  under Node, taking turns; each counts its fastest run. The page's time is
  from the click to its end (performance marks), Node's the whole process.
  Throughout the page's runs a script asks the page every 50 ms, and the
  slowest answer counts.
- Heavy runs in the page: traced nested groups and sums up to 20 MB, pasted
  into the page once each beside the same program under Node: the
  renderer's peak memory (from /proc), the longest task of the page's
  thread, how soon Pysäytä and Ctrl+C are taken during a run, and 2*3 after
  the run beside 2*3 on a fresh page.
- Lighthouse (npm, package.json) on the served page with Debian's Chromium,
  as a phone and as a desktop: its category scores and the audits that
  concern this page.
"""
import contextlib
import gzip
import json
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

from report import Skipped

ROOT = Path(__file__).resolve().parent.parent
PAGE = ROOT / "build-web" / "web"
PROGRAM = ROOT / "build-web" / "ostrilume.wasm"
RUNNER = ROOT / "harness" / "page_program.mjs"
LOADED_FROM_FILE = ["index.html", "ostrilume.css", "ostrilume-wasm.js", "ostrilume-worker.js", "ostrilume.js",
                    "ostrilume-address.js", "ostrilume-transcript.js", "ostrilume-summary.js", "ostrilume-field.js",
                    "ostrilume-share.js", "ostrilume.svg"]
LIGHTHOUSE = ROOT / "node_modules" / ".bin" / "lighthouse"
KB = 1000


def build_page():
    subprocess.run(["cmake", "--workflow", "--preset", "web"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


def download_rows():
    """One row a file of the web archive: its bytes raw and gzipped, whether
    the page loads it served (it or its service worker, which keeps the
    files the build lists in it), and whether it loads it from a file."""
    from page_browser import kept_files, plain_name

    kept = kept_files(PAGE)
    rows = [{"file": plain_name(path.name), "bytes": len(path.read_bytes()),
             "gzipped bytes": len(gzip.compress(path.read_bytes(), 9, mtime=0)),
             "loaded served": path.name in kept or path.name == "ostrilume-sw.js",
             "loaded from a file": plain_name(path.name) in LOADED_FROM_FILE} for path in PAGE.iterdir()]
    return sorted(rows, key=lambda row: row["file"])


sys.path.insert(0, str(ROOT / "harness"))


def prompt_times(loads):
    """Milliseconds from navigation to the prompt, from a server and from the file."""
    from page_browser import start_browser, start_server, wait_for

    server, served = start_server(PAGE)
    pages = {"web server": served, "file": (PAGE / "index.html").as_uri()}
    times = {where: [] for where in pages}
    with tempfile.TemporaryDirectory() as profile:
        browser = start_browser(profile)
        try:
            for _ in range(loads):
                for where, url in pages.items():
                    browser.get("about:blank")
                    browser.get(url)
                    mark = wait_for(browser, "return performance.getEntriesByName('ostrilume-prompt')"
                                    ".map(e => e.startTime)", "the prompt", 10)
                    times[where].append(mark[0])
        finally:
            browser.quit()
            server.shutdown()
    return times


def prompt_rows(loads):
    """One row for the page served and one for it opened from its file."""
    chromium()
    rows = []
    for where, values in prompt_times(loads).items():
        values.sort()
        rows.append({"opened from": where, "median ms": statistics.median(values),
                     "90th percentile ms": values[int(0.9 * (len(values) - 1))], "slowest ms": values[-1]})
    return rows


def node():
    found = shutil.which("node")
    if not found:
        raise Skipped("Node is not installed (Debian package nodejs): no table of the WebAssembly program")
    return found


def chromium():
    from page_browser import missing_tool

    if missing_tool():
        raise Skipped(f"Debian package {missing_tool()} is not installed: no table of the page")


@contextlib.contextmanager
def served_page():
    """The page from a local server, and a browser with a profile of its own."""
    from page_browser import start_browser, start_server

    chromium()
    server, served = start_server(PAGE)
    try:
        with tempfile.TemporaryDirectory() as profile:
            browser = start_browser(profile)
            try:
                yield browser, served
            finally:
                browser.quit()
    finally:
        server.shutdown()


def seconds(command, input_path):
    with open(input_path, "rb") as stdin:
        start = time.perf_counter()
        status = subprocess.run(command, stdin=stdin, stdout=subprocess.DEVNULL).returncode
    return time.perf_counter() - start, status


def evaluation_rows(native, generate, work, repeat):
    """Native and both WebAssembly runs take turns; each keeps its fastest.
    The first row, on one byte, is what starting costs; the ratios of the
    others are of the time beyond it."""
    commands = {"native": [str(native)],
                "baseline first": [node(), str(RUNNER), str(PROGRAM)],
                "optimised": [node(), "--no-liftoff", str(RUNNER), str(PROGRAM)]}
    inputs = [("one byte", None)] + [(shape, 20 if shape == "flat" else 10)
                                     for shape in ["flat", "mixed", "deep", "siblings", "random"]]
    rows = []
    for shape, megabytes in inputs:
        path = work / "input.txt"
        if megabytes is None:
            path.write_text("1\n")
            actual = None
        else:
            actual = generate(shape, megabytes, path)
        runs = {name: [] for name in commands}
        for _ in range(repeat):
            for name, command in commands.items():
                runs[name].append(seconds(command, path))
        row = {"input": shape, "MB": actual,
               "exit statuses": sorted({status for measured in runs.values() for _, status in measured})}
        for name, measured in runs.items():
            row[f"{name} s"] = min(s for s, _ in measured)
            if rows:
                row[f"{name} ratio"] = ((row[f"{name} s"] - rows[0][f"{name} s"])
                                        / (row["native s"] - rows[0]["native s"]))
        rows.append(row)
    return rows


# Each: a name, the shape, its size in MB and the program's arguments.
LONG_RUNS = [("a pasted megabyte", "mixed", 1, []),
             ("a traced 200 kB expression", "flat", 0.2, ["--debug"])]


def page_run(browser, served, expression, args, answers):
    """Seconds from the click to the end of one run in the page; appends the
    time each of the script's questions took to answers."""
    from page_browser import PASTE, PROMPT_SHOWN, RUN_ENDED, wait_for

    browser.get(served + ("?debug" if args else ""))
    wait_for(browser, PROMPT_SHOWN, "the prompt")
    browser.execute_script(PASTE, expression)
    browser.execute_script("performance.mark('bench-click'); document.getElementById('send').click()")
    while True:
        asked = time.perf_counter()
        ended = browser.execute_script(RUN_ENDED)
        answers.append(time.perf_counter() - asked)
        if ended:
            break
        time.sleep(0.05)
    return click_to_end_seconds(browser)


def click_to_end_seconds(browser):
    """From the mark the benchmark set at its click to the page's own at the end of the run."""
    return browser.execute_script("return performance.measure('bench', 'bench-click', 'ostrilume-ended').duration") / 1000


def long_run_rows(generate, work, repeat):
    """One row a long run: the fastest page run and Node run, and the
    slowest answer to a script during the page's runs."""
    alone_command = [node(), str(RUNNER), str(PROGRAM)]
    rows = []
    with served_page() as (browser, served):
        for name, shape, size, args in LONG_RUNS:
            path = work / "long.txt"
            generate(shape, size, path)
            expression = path.read_text().strip()
            path.write_text(expression + "\n")
            page, alone, answers = [], [], []
            for _ in range(repeat):
                page.append(page_run(browser, served, expression, args, answers))
                alone.append(seconds([*alone_command, *args], path)[0])
            rows.append({"run": name, "input kB": len(expression) / KB, "page s": min(page),
                         "Node s": min(alone), "slowest answer ms": 1000 * max(answers)})
    return rows


# Each: a name, how to write the expression, and the program's arguments.
HEAVY_RUNS = [("((…1…)) 3,000 deep, traced", lambda generate, path: nested(3000, path), ["--debug"]),
              ("((…1…)) 10,000 deep, traced", lambda generate, path: nested(10000, path), ["--debug"]),
              ("3 MB 1+1+…, traced", lambda generate, path: generate("flat", 3, path), ["--debug"]),
              ("20 MB 1+1+…", lambda generate, path: generate("flat", 20, path), []),
              ("20 MB 1+1+…, traced", lambda generate, path: generate("flat", 20, path), ["--debug"])]

# Every task of the page's thread longer than 50 ms, from the browser's own
# account; the longest is how long the page could not answer.
WATCH_TASKS = """window.benchLongest = 0;
new PerformanceObserver((list) => {
    for (const task of list.getEntries()) window.benchLongest = Math.max(window.benchLongest, task.duration);
}).observe({ type: 'longtask' });"""


def nested(depth, path):
    path.write_text("(" * depth + "1" + ")" * depth + "\n")


def renderer_megabytes(driver_pid):
    """The resident memory of the largest renderer process the driver's
    browser runs: the page's, with its workers."""
    children, commands, sizes = {}, {}, {}
    for entry in Path("/proc").iterdir():
        try:
            status = (entry / "status").read_text()
            commands[entry.name] = (entry / "cmdline").read_bytes()
        except (OSError, ValueError):
            continue
        fields = dict(line.split(":", 1) for line in status.splitlines() if ":" in line)
        children.setdefault(fields["PPid"].strip(), []).append(entry.name)
        sizes[entry.name] = int(fields.get("VmRSS", "0 kB").split()[0]) / 1024
    found, stack = 0.0, [str(driver_pid)]
    while stack:
        pid = stack.pop()
        stack += children.get(pid, [])
        if b"--type=renderer" in commands.get(pid, b""):
            found = max(found, sizes[pid])
    return found


class MemoryWatch:
    """The renderer's largest resident memory, sampled every 100 ms."""

    def __init__(self, driver_pid):
        self.driver_pid, self.peak, self.running = driver_pid, 0.0, True
        self.thread = threading.Thread(target=self.sample, daemon=True)
        self.thread.start()

    def sample(self):
        while self.running:
            self.peak = max(self.peak, renderer_megabytes(self.driver_pid))
            time.sleep(0.1)

    def stop(self):
        self.running = False
        self.thread.join()
        return self.peak


# The longest task so far, once the browser has told of every task that
# ended, and a count from nothing again.
LONGEST_SO_FAR = """const done = arguments[0];
setTimeout(() => { const longest = window.benchLongest; window.benchLongest = 0; done(longest / 1000); }, 200);"""


def start_page_run(browser, served, expression, args):
    """Pastes expression at the prompt and clicks Laske; the longest task
    of the paste, which is the browser's (and the webdriver's, which hands
    the text over), counts apart from the run's."""
    from page_browser import PASTE, PROMPT_SHOWN, wait_for

    browser.get(served + ("?debug" if args else ""))
    wait_for(browser, PROMPT_SHOWN, "the prompt")
    browser.execute_script(WATCH_TASKS)
    browser.execute_script(PASTE, expression)
    pasted = browser.execute_async_script(LONGEST_SO_FAR)
    browser.execute_script("performance.mark('bench-click'); document.getElementById('send').click()")
    return pasted


def small_run_seconds(browser):
    """From the click to the end of 2*3 in the page as it is."""
    from page_browser import RUN_ENDED, wait_for

    browser.execute_script("""document.getElementById('expression').value = '2*3';
        performance.clearMarks(); performance.mark('bench-click'); document.getElementById('send').click()""")
    wait_for(browser, RUN_ENDED, "the small run", 30)
    return click_to_end_seconds(browser)


def stop_seconds(browser, how, after_s=1.0):
    """How long the page took to take a stop given after_s seconds of a run,
    or None when the run had ended first: the webdriver's call returns once
    the page's thread has handled it."""
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.keys import Keys

    time.sleep(after_s)
    start = time.perf_counter()
    if how == "Pysäytä":
        browser.execute_script("document.getElementById('stop').click()")
    else:
        # As keys pressed where the focus is, the field's: sending them to the
        # element would first have the browser lay out the page to find it.
        ActionChains(browser).key_down(Keys.CONTROL).send_keys("c").key_up(Keys.CONTROL).perform()
    taken = time.perf_counter() - start
    stopped = browser.execute_script("return document.getElementById('status').textContent")
    return taken if stopped.startswith("Laskenta pysäytetty") else None


def heavy_run_rows(generate, work):
    """One row a heavy run: the program alone under Node, the page's time
    from the click to the end, its renderer's peak memory and longest task,
    how soon Pysäytä and Ctrl+C a second into the run are taken, and 2*3
    right after the run beside 2*3 on a fresh page."""
    from page_browser import PROMPT_SHOWN, RUN_ENDED, wait_for

    alone_command = [node(), str(RUNNER), str(PROGRAM)]
    rows = []
    with served_page() as (browser, served):
        browser.get(served)
        wait_for(browser, PROMPT_SHOWN, "the prompt")
        # The 2*3 after a 2*3, which starts the program anew, as the one after
        # a heavy run does; the first, on the program waiting since the page
        # loaded, would not. One each, as after the heavy runs.
        small_run_seconds(browser)
        fresh = small_run_seconds(browser)
        for name, write, args in HEAVY_RUNS:
            path = work / "heavy.txt"
            write(generate, path)
            expression = path.read_text().strip()
            alone = seconds([*alone_command, *args], path)[0]
            watch = MemoryWatch(browser.service.process.pid)
            pasted = start_page_run(browser, served, expression, args)
            wait_for(browser, RUN_ENDED, name, 600)
            page = click_to_end_seconds(browser)
            longest = browser.execute_script("return window.benchLongest") / 1000
            after = small_run_seconds(browser)
            peak = watch.stop()
            stops = []
            for how in ("Pysäytä", "Ctrl+C"):
                start_page_run(browser, served, expression, args)
                stops.append(stop_seconds(browser, how, min(1.0, alone / 2)))
            rows.append({"run": name, "Node s": alone, "page s": page, "renderer peak MB": peak,
                         "paste's longest task s": pasted, "longest task s": longest,
                         "Pysäytä s": stops[0], "Ctrl+C s": stops[1],
                         "2*3 after it s": after, "2*3 on a fresh page s": fresh})
    return rows


# The audits that concern this page, beside the category scores.
FORMS = ("mobile", "desktop")
AUDITS = ["first-contentful-paint", "largest-contentful-paint", "total-blocking-time", "cumulative-layout-shift",
          "font-size", "color-contrast", "viewport"]


def lighthouse_rows(work):
    """One row a category and one an audit that concerns the page: what
    Lighthouse shows for a phone and for a desktop, and the score."""
    from page_browser import FLAGS, start_server

    if not LIGHTHOUSE.exists():
        raise Skipped("Lighthouse is not installed (npm ci, from scripts/install-dependencies): no scores")
    chromium()
    server, served = start_server(PAGE)
    reports = {}
    try:
        for form in FORMS:
            output = work / f"lighthouse-{form}.json"
            command = [str(LIGHTHOUSE), served, "--quiet", "--output=json", f"--output-path={output}",
                       f"--chrome-path={shutil.which('chromium')}", f"--chrome-flags={' '.join(FLAGS)}",
                       "--only-categories=performance,accessibility,best-practices,seo"]
            if form == "desktop":
                command.append("--preset=desktop")
            subprocess.run(command, check=True)
            reports[form] = json.loads(output.read_text())
    finally:
        server.shutdown()
    version = reports["mobile"]["lighthouseVersion"]
    rows = []
    for category in reports["mobile"]["categories"]:
        row = {"id": category, "title": reports["mobile"]["categories"][category]["title"], "version": version}
        for form, report in reports.items():
            row[f"{form} score"] = report["categories"][category]["score"]
            row[form] = f"{100 * row[f'{form} score']:.0f}"
        rows.append(row)
    for audit in AUDITS:
        row = {"id": audit, "title": reports["mobile"]["audits"][audit]["title"], "version": version}
        for form, report in reports.items():
            row[f"{form} score"] = report["audits"][audit]["score"]
            row[form] = audit_value(report["audits"][audit])
        rows.append(row)
    return rows


def audit_value(audit):
    if audit["scoreDisplayMode"] == "notApplicable":
        return "not applicable"
    shown = audit.get("displayValue") or ("passed" if audit["score"] == 1 else "failed")
    return shown.replace("\u00a0", " ")


if __name__ == "__main__":
    sys.exit("run it through bench/run.py --tables web")
