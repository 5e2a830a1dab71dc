#!/usr/bin/python3
"""Measures the live page (`corvallo serve`) in headless Chromium, with the
page's own timestamps:

- click to both screens updated: a click on the "Hide Page Dots" switch ->
  the next Settings frame shown -> the next home-screen frame shown;
- a change from the shell to the page: `corvallo set` -> the home-screen
  frame that shows it;
- the server's time to ask, draw and encode one frame, per screen;
- the server's CPU with two tabs open and nothing changing.

Usage: scripts/live-bench.py [--clicks N] [--idle-seconds S] [BUILD_DIR]
A benchmark, not a test: it prints figures and never fails on them.
"""
import argparse
import json
import os
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.support.wait import WebDriverWait

parser = argparse.ArgumentParser()
parser.add_argument("--clicks", type=int, default=200)
parser.add_argument("--idle-seconds", type=float, default=60)
parser.add_argument("build", nargs="?", default=os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "build", "default"))
args = parser.parse_args()
corvallo = os.path.join(args.build, "bin", "corvallo")
CONTENT_TOP = 91


def wait_for(what, condition, timeout=30):
    try:
        return WebDriverWait(None, timeout, poll_frequency=0.002).until(lambda _: condition())
    except TimeoutException:
        sys.exit("live-bench: timed out waiting for " + what)


def pct(values, p):
    s = sorted(values)
    return s[min(len(s) - 1, int(round(p / 100 * (len(s) - 1))))]


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


root = tempfile.mkdtemp(prefix="corvallo-bench-")
profile = tempfile.mkdtemp(prefix="corvallo-chromium-")
serve = subprocess.Popen([corvallo, "--root", root, "serve", "--port", "0"], stdout=subprocess.PIPE, text=True)
browsers = []
try:
    line = ""
    while "http://" not in line:
        line = serve.stdout.readline()
    url = re.search(r"http://\S+", line).group(0)

    def open_tab():
        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--no-first-run",
                     "--user-data-dir=" + tempfile.mkdtemp(dir=profile), "--window-size=1400,1100"):
            options.add_argument(flag)
        b = webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"), options=options)
        b.get(url)
        browsers.append(b)
        return b

    browser = open_tab()
    frames = lambda s: browser.execute_script("return corvallo.frames.filter(f => f.screen === arguments[0])", s)
    wait_for("both screens", lambda: frames("home") and frames("settings"))
    run = lambda *a: subprocess.run([corvallo, "--root", root, *a], check=True, capture_output=True, text=True).stdout
    page = json.loads(run("ask", "settings", "state", "--raw"))["page"]
    row = next(r for s in page["sections"] for r in s["rows"] if r.get("key") == "isHidePageDotsEnabled")
    f = row["frame"]
    img = browser.find_element("id", "settings")
    size = browser.execute_script("return corvallo.sizes.settings")
    x, y = f["x"] + f["width"] - 57, CONTENT_TOP + f["y"] + f["height"] / 2
    ox, oy = x * img.rect["width"] / size[0] - img.rect["width"] / 2, y * img.rect["height"] / size[1] - img.rect["height"] / 2

    to_settings, to_home = [], []
    for i in range(args.clicks):
        n_s, n_h = len(frames("settings")), len(frames("home"))
        ActionChains(browser).move_to_element_with_offset(img, ox, oy).click().perform()
        wait_for("frames after click %d" % i, lambda: len(frames("settings")) > n_s and len(frames("home")) > n_h)
        t = browser.execute_script("return corvallo.touches[corvallo.touches.length - 1].sentAt")
        # The first frames that arrived after the touch (a repeating animation sends others too).
        wait_for("frames after click %d" % i, lambda: [fr for fr in frames("settings") if fr["receivedAt"] > t]
                 and [fr for fr in frames("home") if fr["receivedAt"] > t])
        s = next(fr for fr in frames("settings") if fr["receivedAt"] > t)["shownAt"]
        h = next(fr for fr in frames("home") if fr["receivedAt"] > t)["shownAt"]
        to_settings.append(s - t)
        to_home.append(h - t)
        time.sleep(0.02)

    # The colour rows show only with colour customisation on and the dots shown.
    state = json.loads(run("ask", "settings", "state", "--raw"))["page"]
    rows = {r.get("key"): r for s in state["sections"] for r in s["rows"]}
    if rows["isHidePageDotsEnabled"].get("switchOn"):
        run("toggle", "isHidePageDotsEnabled")
    if not rows["isColorCustomizationEnabled"].get("switchOn"):
        run("toggle", "isColorCustomizationEnabled")
    time.sleep(0.5)
    shell = []
    for i in range(args.clicks):
        n_h = len(frames("home"))
        began = time.time() * 1000
        run("set", "activePageDotColor", "#FF2D55" if i % 2 == 0 else "#34C759")
        wait_for("frame after set %d" % i, lambda: len(frames("home")) > n_h)
        shown = browser.execute_script(
            "const f = corvallo.frames.filter(f => f.screen === 'home'); return performance.timeOrigin + f[arguments[0]].shownAt", n_h)
        shell.append(shown - began)

    render = {s: [fr["renderMs"] for fr in frames(s)] for s in ("home", "settings")}
    open_tab()

    def idle_cpu():
        time.sleep(3)
        before = cpu_seconds(serve.pid)
        time.sleep(args.idle_seconds)
        return (cpu_seconds(serve.pid) - before) / args.idle_seconds * 100
    # The Corvallo page's banner glows without end: its screen never rests.
    glowing = idle_cpu()
    run("back")
    idle = idle_cpu()

    def line(name, v):
        print("%-44s p50 %6.1f ms  p99 %6.1f ms  (n=%d)" % (name, pct(v, 50), pct(v, 99), len(v)))
    line("click -> Settings frame shown", to_settings)
    line("click -> home-screen frame shown", to_home)
    line("corvallo set -> home-screen frame shown", shell)
    line("server: ask + draw + encode, home screen", render["home"])
    line("server: ask + draw + encode, Settings", render["settings"])
    print("%-44s %.2f %% of one core over %.0f s" % ("server CPU, two tabs, the glowing banner shown", glowing, args.idle_seconds))
    print("%-44s %.2f %% of one core over %.0f s" % ("server CPU, two tabs, nothing changing", idle, args.idle_seconds))
finally:
    for b in browsers:
        b.quit()
    serve.send_signal(signal.SIGINT)
    serve.wait(timeout=30)
    shutil.rmtree(root, ignore_errors=True)
    shutil.rmtree(profile, ignore_errors=True)
