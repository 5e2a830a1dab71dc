#!/usr/bin/python3
"""Takes docs/images/live.png: the live page of `corvallo serve` in headless
Chromium, against a new device under a temporary root, after a colour change
so that the log pane has the tweak's lines in it.

Usage: scripts/make-live-image.py [BUILD_DIR] [--appearance dark] [--out FILE]
  BUILD_DIR defaults to build/default, FILE to docs/images/live.png.
Needs chromium, chromium-driver and python3-selenium (scripts/install-deps.sh).
"""
import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.support.wait import WebDriverWait

here = os.path.dirname(os.path.abspath(__file__))
repo = os.path.dirname(here)
parser = argparse.ArgumentParser()
parser.add_argument("build", nargs="?", default=os.path.join(repo, "build", "default"))
parser.add_argument("--appearance", choices=("light", "dark"), default="light")
parser.add_argument("--out", default=os.path.join(repo, "docs", "images", "live.png"))
args = parser.parse_args()
corvallo = os.path.join(args.build, "bin", "corvallo")
out = args.out


def wait_for(what, condition, timeout=30):
    try:
        WebDriverWait(None, timeout, poll_frequency=0.05).until(lambda _: condition())
    except TimeoutException:
        sys.exit("make-live-image: timed out waiting for " + what)


root = tempfile.mkdtemp(prefix="corvallo-live-image-")
profile = tempfile.mkdtemp(prefix="corvallo-chromium-")
serve = subprocess.Popen([corvallo, "--root", root, "serve", "--port", "0"], stdout=subprocess.PIPE, text=True)
browser = None
try:
    line = ""
    while "http://" not in line:
        line = serve.stdout.readline()
        if not line and serve.poll() is not None:
            sys.exit("make-live-image: corvallo serve did not start")
    url = re.search(r"http://\S+", line).group(0)
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--no-first-run", "--hide-scrollbars",
                 "--user-data-dir=" + profile, "--window-size=1240,1300", "--force-device-scale-factor=1"):
        options.add_argument(flag)
    browser = webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"),
                               options=options)
    browser.get(url)
    frames = lambda s: browser.execute_script("return corvallo.frames.filter(f => f.screen === arguments[0]).length", s)
    wait_for("both screens", lambda: frames("home") and frames("settings"))
    run = lambda *a: subprocess.run([corvallo, "--root", root, *a], check=True, capture_output=True, text=True)
    page = json.loads(run("ask", "settings", "state", "--raw").stdout)["page"]
    rows = {r.get("key"): r for s in page["sections"] for r in s["rows"]}
    if rows["isHidePageDotsEnabled"].get("switchOn"):
        run("toggle", "isHidePageDotsEnabled")  # the dots in their new colour, not hidden
    if not rows["isColorCustomizationEnabled"].get("switchOn"):
        run("toggle", "isColorCustomizationEnabled")
    if args.appearance == "dark":
        settings_frames = frames("settings")
        run("appearance", "dark")
        wait_for("the dark page", lambda: frames("settings") > settings_frames)
    before = frames("home")
    run("set", "activePageDotColor", "#FF2D55")
    wait_for("the new colour on the home screen", lambda: frames("home") > before)
    wait_for("log lines", lambda: browser.execute_script("return corvallo.logs.length") > 3)
    time.sleep(0.5)  # the last frame decoded and painted: a picture, not a test
    browser.save_screenshot(out)
    print("wrote " + out)
finally:
    if browser:
        browser.quit()
    serve.send_signal(signal.SIGINT)
    serve.wait(timeout=30)
    shutil.rmtree(root, ignore_errors=True)
    shutil.rmtree(profile, ignore_errors=True)
