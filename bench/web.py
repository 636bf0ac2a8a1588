"""The web page: what a browser downloads, how soon the prompt shows, and how
the WebAssembly program's evaluation compares with the native program's.

- The download: every file of the page as the web archive holds it, raw and
  gzipped (gzip -9, as a web server compresses), and the sum of those the
  page loads.
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
"""
import gzip
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
RUNNER = ROOT / "tests" / "page_program.mjs"
LOADED = ["index.html", "ostrilume.css", "ostrilume-wasm.js", "ostrilume-worker.js", "ostrilume.js", "ostrilume.svg"]
KB = 1000


def build_page():
    subprocess.run(["cmake", "--workflow", "--preset", "web"], cwd=ROOT, check=True, stdout=subprocess.DEVNULL)


def download_table(failures, aim_kb=150):
    print("| file | bytes | gzipped bytes | loaded by the page |")
    print("| --- | ---: | ---: | --- |")
    total = 0
    for path in sorted(PAGE.iterdir()):
        raw = path.read_bytes()
        packed = len(gzip.compress(raw, 9, mtime=0))
        loaded = path.name in LOADED
        total += packed if loaded else 0
        print(f"| {path.name} | {len(raw):,} | {packed:,} | {'yes' if loaded else 'no'} |")
    print(f"| **what the page loads** | | **{total:,}** | |\n")
    if total > aim_kb * KB:
        failures.append(f"the page's download is {total / KB:.0f} kB gzipped, above {aim_kb} kB")
    return total


def prompt_times(loads):
    """Milliseconds from navigation to the prompt, from a server and from the file."""
    sys.path.insert(0, str(ROOT / "tests"))
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


def web_tables(native, generate, work, repeat, loads, failures):
    build_page()
    download = download_table(failures)
    prompt = prompt_table(loads, failures)
    rows = evaluation_table(native, generate, work, repeat, failures)
    return {"download gzipped bytes": download, "prompt median ms": prompt,
            "evaluation": [{"shape": shape, "MB": megabytes, "ratio as browsers run it": ratios["baseline first"],
                            "ratio optimised": ratios["optimised"]} for shape, megabytes, _, ratios in rows]}


if __name__ == "__main__":
    sys.exit("run it through bench/run.py --tables web")
