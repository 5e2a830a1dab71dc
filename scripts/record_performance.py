"""Replaces the recorded run in docs/PERFORMANCE.md with the run in FOLDER.

record_performance.py FOLDER PAGE BUILD_TYPE

The page's prose stays as written; only the part between the two markers is
rewritten, so the explanations and the figures they explain live on one page.
"""
import datetime
import os
import pathlib
import subprocess
import sys

BEGIN = "<!-- recorded by scripts/bench.sh --record: begin -->"
END = "<!-- recorded by scripts/bench.sh --record: end -->"


def main():
    folder, page_path, build_type = sys.argv[1:4]
    page = pathlib.Path(page_path)
    text = page.read_text()
    if BEGIN not in text or END not in text:
        sys.exit(f"record_performance: {page} has no recorded-run markers")
    table = subprocess.run([sys.executable, os.path.join(os.path.dirname(__file__), "bench_table.py"),
                            folder, "--markdown"], check=True, capture_output=True, text=True).stdout
    commit = subprocess.run(["git", "rev-parse", "--short", "HEAD"], capture_output=True, text=True).stdout.strip()
    dirty = subprocess.run(["git", "status", "--porcelain", "--untracked-files=no"],
                           capture_output=True, text=True).stdout.strip()
    when = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    head = (f"Run of {when} on commit {commit or 'unknown'}{' with local changes' if dirty else ''}, "
            f"{build_type} build, {os.cpu_count()} cores. A figure's machine column says whether its "
            f"benchmark ran quiet (1-minute load average at most 0.5 before and after) or loaded.\n\n")
    before, rest = text.split(BEGIN, 1)
    _, after = rest.split(END, 1)
    page.write_text(before + BEGIN + "\n" + head + table + END + after)
    print(f"record_performance: {page} updated")


main()
