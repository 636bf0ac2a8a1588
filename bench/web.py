"""The web page: what a browser downloads, how soon the prompt shows, how
the WebAssembly program's evaluation compares with the native program's, how
the page keeps up with a long run, and what Lighthouse makes of it.

- The download: every file of the page as the web archive holds it, raw and
  gzipped (gzip -9, as a web server compresses), and the sum of those the
  page loads: served, all of them, since the service worker keeps them for
  use offline; opened from a file, the page and its scripts alone.
- The time from opening the page to the prompt: the page marks the moment
  the program first waits for input (performance.mark "ostrilume-prompt"),
  measured from the start of navigation, in headless Chromium, from a local
  web server and from the file, the median of many loads.
- Evaluation: the benchmark's large inputs through the page's own system
  interface under Node (tests/page_program.mjs) and through the native
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
- Lighthouse (npm, package.json) on the served page with Debian's Chromium,
  as a phone and as a desktop: its category scores and the audits that
  concern this page.
"""
import gzip
import json
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PAGE = ROOT / "build-web" / "web"
PROGRAM = ROOT / "build-web" / "ostrilume.wasm"
RUNNER = ROOT / "harness" / "page_program.mjs"
LOADED_FROM_FILE = ["index.html", "ostrilume.css", "ostrilume-wasm.js", "ostrilume-worker.js", "ostrilume.js",
                    "ostrilume.svg"]
LIGHTHOUSE = ROOT / "node_modules" / ".bin" / "lighthouse"
KB = 1000


def build_page():
    subprocess.run(["cmake", "--workflow", "--preset", "web"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


def download_table(failures, aim_kb=150):
    print("| file | bytes | gzipped bytes | loaded from a file |")
    print("| --- | ---: | ---: | --- |")
    served = from_file = 0
    for path in sorted(PAGE.iterdir()):
        raw = path.read_bytes()
        packed = len(gzip.compress(raw, 9, mtime=0))
        loaded = path.name in LOADED_FROM_FILE
        served += packed
        from_file += packed if loaded else 0
        print(f"| {path.name} | {len(raw):,} | {packed:,} | {'yes' if loaded else 'no'} |")
    print(f"| **what the page loads, served** | | **{served:,}** | |")
    print(f"| **what the page loads from a file** | | **{from_file:,}** | |\n")
    if served > aim_kb * KB:
        failures.append(f"the page's download is {served / KB:.0f} kB gzipped, above {aim_kb} kB")
    return served


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


def prompt_table(loads, failures, aim_ms=500):
    if not (shutil.which("chromium") and shutil.which("chromedriver")):
        print("Chromium is not installed (Debian packages chromium, chromium-driver): no prompt times\n")
        return {}
    times = prompt_times(loads)
    print(f"Milliseconds from opening the page to the prompt, headless Chromium, {loads} loads each:\n")
    print("| opened from | median ms | 90th percentile ms | slowest ms |")
    print("| --- | ---: | ---: | ---: |")
    for where, values in times.items():
        values.sort()
        print(f"| {where} | {statistics.median(values):.0f} | {values[int(0.9 * (len(values) - 1))]:.0f} "
              f"| {values[-1]:.0f} |")
        if statistics.median(values) > aim_ms:
            failures.append(f"the prompt takes {statistics.median(values):.0f} ms from a {where}")
    print()
    return {where: statistics.median(values) for where, values in times.items()}


def seconds(command, input_path):
    with open(input_path, "rb") as stdin:
        start = time.perf_counter()
        status = subprocess.run(command, stdin=stdin, stdout=subprocess.DEVNULL).returncode
    return time.perf_counter() - start, status


def evaluation_table(native, generate, work, repeat, failures, aim=3.0):
    """Native and both WebAssembly runs take turns; each keeps its fastest."""
    node = shutil.which("node")
    if not node:
        print("Node is not installed (Debian package nodejs): no evaluation times\n")
        return []
    commands = {"native": [str(native)],
                "baseline first": [node, str(RUNNER), str(PROGRAM)],
                "optimised": [node, "--no-liftoff", str(RUNNER), str(PROGRAM)]}
    inputs = [("one byte", None)] + [(shape, 20 if shape == "flat" else 10)
                                     for shape in ["flat", "mixed", "deep", "siblings", "random"]]
    print(f"Seconds, the fastest of {repeat} runs each, the three taking turns; the ratios are of the "
          "time beyond the one-byte run's:\n")
    print("| input | MB | native s | WebAssembly s, as browsers run it | ratio | WebAssembly s, optimised "
          "from the start | ratio |")
    print("| --- | ---: | ---: | ---: | ---: | ---: | ---: |")
    rows, start = [], {}
    for shape, megabytes in inputs:
        path = work / "input.txt"
        if megabytes is None:
            path.write_text("1\n")
            actual = 0.0
        else:
            actual = generate(shape, megabytes, path)
        runs = {name: [] for name in commands}
        for _ in range(repeat):
            for name, command in commands.items():
                runs[name].append(seconds(command, path))
        statuses = {status for measured in runs.values() for _, status in measured}
        fastest = {name: min(s for s, _ in measured) for name, measured in runs.items()}
        if megabytes is None:
            start = fastest
            print(f"| {shape} | | {fastest['native']:.3f} | {fastest['baseline first']:.3f} | "
                  f"| {fastest['optimised']:.3f} | |")
        else:
            beyond = {name: fastest[name] - start[name] for name in commands}
            ratios = {name: beyond[name] / beyond["native"] for name in commands}
            rows.append((shape, actual, fastest, ratios))
            print(f"| {shape} | {actual:.1f} | {fastest['native']:.3f} | {fastest['baseline first']:.3f} | "
                  f"{ratios['baseline first']:.2f}x | {fastest['optimised']:.3f} | {ratios['optimised']:.2f}x |",
                  flush=True)
            if ratios["optimised"] > aim:
                failures.append(f"{shape}: optimised WebAssembly takes {ratios['optimised']:.2f}x the native time")
        if statuses != {0}:
            failures.append(f"{shape}: exit statuses {sorted(statuses)}")
    print()
    return rows


# Each: a name, the shape, its size in MB and the program's arguments.
LONG_RUNS = [("a pasted megabyte", "mixed", 1, []),
             ("a traced 200 kB expression", "flat", 0.2, ["--debug"])]


def page_run(browser, served, expression, args, answers):
    """Seconds from the click to the end of one run in the page; appends the
    time each of the script's questions took to answers."""
    from page_browser import PROMPT_SHOWN, RUN_ENDED, wait_for

    browser.get(served + ("?debug" if args else ""))
    wait_for(browser, PROMPT_SHOWN, "the prompt")
    browser.execute_script("document.getElementById('expression').value = arguments[0]", expression)
    browser.execute_script("performance.mark('bench-click'); document.getElementById('send').click()")
    while True:
        asked = time.perf_counter()
        ended = browser.execute_script(RUN_ENDED)
        answers.append(time.perf_counter() - asked)
        if ended:
            break
        time.sleep(0.05)
    return browser.execute_script("return performance.measure('bench', 'bench-click', 'ostrilume-ended').duration") / 1000


def long_runs_table(generate, work, repeat, failures, aim=3.0, slack_s=1.0, answer_s=0.2):
    from page_browser import start_browser, start_server

    node = shutil.which("node")
    if not node:
        print("Node is not installed (Debian package nodejs): no long runs beside it\n")
        return []
    print(f"Seconds, the fastest of {repeat} runs each, the page and Node taking turns:\n")
    print("| run | input kB | page s | Node s | page / Node | slowest answer to a script ms |")
    print("| --- | ---: | ---: | ---: | ---: | ---: |")
    rows = []
    server, served = start_server(PAGE)
    with tempfile.TemporaryDirectory() as profile:
        browser = start_browser(profile)
        try:
            for name, shape, size, args in LONG_RUNS:
                path = work / "long.txt"
                generate(shape, size, path)
                expression = path.read_text().strip()
                path.write_text(expression + "\n")
                page, alone, answers = [], [], []
                for _ in range(repeat):
                    page.append(page_run(browser, served, expression, args, answers))
                    alone.append(seconds([node, str(RUNNER), str(PROGRAM), *args], path)[0])
                ratio = min(page) / min(alone)
                rows.append({"run": name, "page s": min(page), "Node s": min(alone),
                             "slowest answer ms": 1000 * max(answers)})
                print(f"| {name} | {len(expression) / KB:.0f} | {min(page):.2f} | {min(alone):.2f} | {ratio:.2f}x "
                      f"| {1000 * max(answers):.0f} |", flush=True)
                if min(page) > aim * min(alone) + slack_s:
                    failures.append(f"{name}: the page takes {min(page):.2f} s, Node {min(alone):.2f} s")
                if max(answers) > answer_s:
                    failures.append(f"{name}: the page took {1000 * max(answers):.0f} ms to answer a script")
        finally:
            browser.quit()
            server.shutdown()
    print()
    return rows


# The audits that concern this page, beside the category scores.
AUDITS = ["first-contentful-paint", "largest-contentful-paint", "total-blocking-time", "cumulative-layout-shift",
          "font-size", "color-contrast", "viewport"]


def lighthouse_table(work, failures):
    from page_browser import FLAGS, start_server

    if not LIGHTHOUSE.exists():
        print("Lighthouse is not installed (npm ci, from scripts/install-dependencies): no scores\n")
        return {}
    server, served = start_server(PAGE)
    reports = {}
    try:
        for form in ("mobile", "desktop"):
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
    categories = list(reports["mobile"]["categories"])
    print("Lighthouse " + reports["mobile"]["lighthouseVersion"] + ", the served page (its server's robots.txt, "
          "which is not the page's, counts in SEO):\n")
    print("| | " + " | ".join(reports) + " |")
    print("| --- |" + " ---: |" * len(reports))
    for category in categories:
        print(f"| {reports['mobile']['categories'][category]['title']} | "
              + " | ".join(f"{100 * report['categories'][category]['score']:.0f}" for report in reports.values())
              + " |")
    for audit in AUDITS:
        print(f"| {reports['mobile']['audits'][audit]['title']} | "
              + " | ".join(audit_value(report["audits"][audit]) for report in reports.values()) + " |")
    print()
    for form, report in reports.items():
        legible = report["audits"]["font-size"]
        if report["categories"]["accessibility"]["score"] < 1 or legible["score"] not in (1, None):
            failures.append(f"Lighthouse, {form}: accessibility "
                            f"{100 * report['categories']['accessibility']['score']:.0f}, legible text "
                            f"{report['audits']['font-size'].get('displayValue')}")
    return {form: {category: report["categories"][category]["score"] for category in categories}
            for form, report in reports.items()}


def audit_value(audit):
    if audit["scoreDisplayMode"] == "notApplicable":
        return "not applicable"
    shown = audit.get("displayValue") or ("passed" if audit["score"] == 1 else "failed")
    return shown.replace("\u00a0", " ")


def web_tables(native, generate, work, repeat, loads, failures):
    build_page()
    download = download_table(failures)
    prompt = prompt_table(loads, failures)
    rows = evaluation_table(native, generate, work, repeat, failures)
    long_runs = long_runs_table(generate, work, repeat, failures) if prompt else []
    lighthouse = lighthouse_table(work, failures) if prompt else {}
    return {"download gzipped bytes": download, "prompt median ms": prompt,
            "evaluation": [{"shape": shape, "MB": megabytes, "ratio as browsers run it": ratios["baseline first"],
                            "ratio optimised": ratios["optimised"]} for shape, megabytes, _, ratios in rows],
            "long runs": long_runs, "lighthouse": lighthouse}


if __name__ == "__main__":
    sys.exit("run it through bench/run.py --tables web")
