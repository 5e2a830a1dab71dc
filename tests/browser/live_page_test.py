#!/usr/bin/env python3
"""The live page in headless Chromium, driven through Selenium as a person
would drive it with the mouse, against a real device under a temporary root.

Usage: live_page_test.py CORVALLO_BINARY
Exits 77 (CTest's skip code) when Chromium, its driver or Selenium is missing.
"""
import http.client
import json
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.parse
import zlib

SKIP = 77
CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
DRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
try:
    from selenium import webdriver
    from selenium.common.exceptions import TimeoutException
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.support.wait import WebDriverWait
except ImportError:
    webdriver = None

# Where the screen shows the page's content: under the status bar and the navigation bar.
CONTENT_TOP = 91
CORVALLO = sys.argv[1] if len(sys.argv) > 1 else "corvallo"


def wait_for(what, condition, timeout=15.0):
    """The condition's first true value, or a failure naming what was awaited."""
    try:
        return WebDriverWait(None, timeout, poll_frequency=0.05).until(lambda _: condition())
    except TimeoutException:
        raise AssertionError("timed out waiting for " + what) from None


def png_pixel(png, x, y):
    """The RGBA of one pixel of an 8-bit RGB or RGBA PNG (what Chromium writes)."""
    assert png[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat, width, height, kind = 8, b"", 0, 0, 0
    while pos < len(png):
        length, tag = struct.unpack(">I4s", png[pos:pos + 8])
        body = png[pos + 8:pos + 8 + length]
        if tag == b"IHDR":
            width, height, depth, kind = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and kind in (2, 6), "unexpected PNG format"
        elif tag == b"IDAT":
            idat += body
        pos += 12 + length
    bpp = 4 if kind == 6 else 3
    raw, stride = zlib.decompress(idat), width * bpp
    prev, rows = bytearray(stride), []
    for row in range(y + 1):
        f, line = raw[row * (stride + 1)], bytearray(raw[row * (stride + 1) + 1:(row + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        prev = line
    px = prev[x * bpp:(x + 1) * bpp]
    return tuple(px) + ((255,) if bpp == 3 else ())


class LivePage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.root = tempfile.mkdtemp(prefix="corvallo-live-")
        cls.serve = subprocess.Popen([CORVALLO, "--root", cls.root, "serve", "--port", "0"],
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        line = ""
        deadline = time.monotonic() + 60
        while "http://" not in line:
            line = cls.serve.stdout.readline()
            if not line and cls.serve.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("corvallo serve printed no address")
        cls.url = re.search(r"http://\S+", line).group(0)
        parts = urllib.parse.urlsplit(cls.url)
        cls.netloc, cls.token = parts.netloc, urllib.parse.parse_qs(parts.query)["token"][0]
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        cls.profile = tempfile.mkdtemp(prefix="corvallo-chromium-")
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--no-first-run",
                     "--user-data-dir=" + cls.profile, "--window-size=1400,1100", "--force-device-scale-factor=1"):
            options.add_argument(flag)
        cls.browser = webdriver.Chrome(service=Service(DRIVER), options=options)
        cls.browser.get(cls.url)
        cls.wait_frames(1, 1)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        cls.serve.send_signal(signal.SIGINT)
        try:
            cls.serve.wait(timeout=20)
        finally:
            subprocess.run([CORVALLO, "--root", cls.root, "down"], capture_output=True)
            shutil.rmtree(cls.root, ignore_errors=True)
            shutil.rmtree(cls.profile, ignore_errors=True)

    # ---- helpers
    @classmethod
    def frames(cls, screen):
        return cls.browser.execute_script("return corvallo.frames.filter(f => f.screen === arguments[0]).length", screen)

    @classmethod
    def wait_frames(cls, home, settings):
        wait_for("frames on the page", lambda: cls.frames("home") >= home and cls.frames("settings") >= settings, 30)

    def corvallo(self, *args):
        done = subprocess.run([CORVALLO, "--root", self.root, *args], capture_output=True, text=True, timeout=30)
        self.assertEqual(done.returncode, 0, done.stderr)
        return done.stdout

    def ask(self, host, *args):
        return json.loads(self.corvallo("ask", host, *args, "--raw"))

    def click(self, screen, x, y):
        """A click at (x, y) in screen points, on the page's picture of that screen."""
        img = self.browser.find_element("id", screen)
        size = self.browser.execute_script("return corvallo.sizes[arguments[0]]", screen)
        rect = img.rect
        ox, oy = x * rect["width"] / size[0] - rect["width"] / 2, y * rect["height"] / size[1] - rect["height"] / 2
        ActionChains(self.browser).move_to_element_with_offset(img, ox, oy).click().perform()

    def request(self, method, path, host=None, origin=None, token=True, body=None):
        conn = http.client.HTTPConnection(self.netloc, timeout=10)
        headers = {"Host": host or self.netloc}
        if origin:
            headers["Origin"] = origin
        if token:
            headers["Cookie"] = "corvallo_token=" + self.token
        if body is not None:
            headers["Content-Type"] = "application/json"
        conn.request(method, path, body=body, headers=headers)
        r = conn.getresponse()
        data = r.read()
        conn.close()
        return r.status, data, dict(r.getheaders())

    def row(self, key):
        page = self.ask("settings", "state")["page"]
        for s in page["sections"]:
            for r in s["rows"]:
                if r.get("key") == key:
                    return page, r
        self.fail("no row bound to " + key)

    def ensure_dots_shown(self):
        if self.row("isHidePageDotsEnabled")[1]["switchOn"]:
            self.corvallo("toggle", "isHidePageDotsEnabled")
        wait_for("dots shown", lambda: not json.loads(self.corvallo("home", "--json"))["pageControls"][0]["hidden"])

    # ---- tests
    def test_a_click_on_the_switch_hides_the_dots_and_the_page_shows_it(self):
        self.ensure_dots_shown()
        page, row = self.row("isHidePageDotsEnabled")
        self.assertFalse(row["switchOn"])
        before = self.frames("home")
        f = row["frame"]
        # The content shows under the status bar and the navigation bar; the
        # switch sits at the row's trailing end, inside the inset group.
        self.click("settings", f["x"] + f["width"] - 16 - 16 - 25, CONTENT_TOP + f["y"] - page["contentOffset"] + f["height"] / 2)
        wait_for("the switch on", lambda: self.row("isHidePageDotsEnabled")[1]["switchOn"])
        wait_for("dots hidden", lambda: json.loads(self.corvallo("home", "--json"))["pageControls"][0]["hidden"])
        wait_for("a new home-screen frame", lambda: self.frames("home") > before)

    def test_b_a_colour_set_from_the_shell_reaches_the_page_without_a_reload(self):
        self.ensure_dots_shown()
        if not self.row("isColorCustomizationEnabled")[1]["switchOn"]:
            self.corvallo("toggle", "isColorCustomizationEnabled")
        before = self.frames("home")
        self.corvallo("set", "activePageDotColor", "#FF2D55")
        wait_for("a new home-screen frame", lambda: self.frames("home") > before)
        state = self.ask("springboard", "state")
        control = state["pageControl"]
        wait_for("the colour in the model", lambda: self.ask("springboard", "state")["pageControl"]
                 ["currentPageIndicatorTintColor"] == "#FF2D55")
        self.browser.execute_script("window.scrollTo(0, 0)")
        cx, cy = control["dots"][control["currentPage"]]
        img = self.browser.find_element("id", "home").rect
        size = self.browser.execute_script("return corvallo.sizes.home")
        px, py = int(img["x"] + cx * img["width"] / size[0]), int(img["y"] + cy * img["height"] / size[1])
        # The browser's own screenshot of the page, until the frame that shows the colour has come
        # (the dot may fade to it over a few frames).
        seen = []

        def dot_is_pink():
            r, g, b, _ = png_pixel(self.browser.get_screenshot_as_png(), px, py)
            seen.append((r, g, b))
            return abs(r - 0xFF) + abs(g - 0x2D) + abs(b - 0x55) < 40
        try:
            wait_for("the new colour at the dot", dot_is_pink, 10)
        except AssertionError:
            self.fail("the pixel at the dot stayed %r" % (seen[-1],))

    def test_bc_a_sideways_drag_on_the_home_screen_turns_the_page_and_the_dots_follow(self):
        self.ensure_dots_shown()
        control = self.ask("springboard", "state")["pageControl"]
        start_page, pages = control["currentPage"], control["numberOfPages"]
        self.assertGreater(pages, 1)
        # A drag to the left shows the page to the right, unless this is the last one.
        step = 1 if start_page < pages - 1 else -1
        before = self.frames("home")
        img = self.browser.find_element("id", "home")
        size = self.browser.execute_script("return corvallo.sizes.home")
        rect = img.rect
        # Below the widget stacks and the icons, above the dots: only the icon pages there.
        x, y = size[0] / 2 + 90 * step, control["dots"][0][1] - 20
        ox, oy = x * rect["width"] / size[0] - rect["width"] / 2, y * rect["height"] / size[1] - rect["height"] / 2
        ActionChains(self.browser).move_to_element_with_offset(img, ox, oy).click_and_hold() \
            .move_by_offset(-90 * step * rect["width"] / size[0], 0) \
            .move_by_offset(-90 * step * rect["width"] / size[0], 0).release().perform()
        wait_for("the next page", lambda: self.ask("springboard", "state")["pageControl"]["currentPage"] == start_page + step)
        wait_for("a new home-screen frame", lambda: self.frames("home") > before)
        # The page's own picture: the current dot moved with the page.
        control = self.ask("springboard", "state")["pageControl"]
        current = control["currentPageIndicatorTintColor"]  # "#RRGGBB", opaque unless ":alpha" follows
        self.assertNotIn(":", current)
        colour = tuple(int(current[i:i + 2], 16) for i in (1, 3, 5))
        self.browser.execute_script("window.scrollTo(0, 0)")
        img = self.browser.find_element("id", "home").rect

        def in_current_colour(dot):
            cx, cy = control["dots"][dot]
            px, py = int(img["x"] + cx * img["width"] / size[0]), int(img["y"] + cy * img["height"] / size[1])
            pixel = png_pixel(self.browser.get_screenshot_as_png(), px, py)
            return sum(abs(a - b) for a, b in zip(pixel, colour)) < 40
        wait_for("the dots following the page", lambda: in_current_colour(start_page + step)
                 and not in_current_colour(start_page), 10)

    def test_c_a_drag_scrolls_the_page_and_the_options_menu_resets(self):
        page = self.ask("settings", "state")["page"]
        if page["contentOffset"] != 0:
            self.corvallo("scroll", "0")
        img = self.browser.find_element("id", "settings")
        ActionChains(self.browser).move_to_element(img).click_and_hold().move_by_offset(0, -60) \
            .move_by_offset(0, -60).release().perform()
        wait_for("the page scrolled", lambda: self.ask("settings", "state")["page"]["contentOffset"] > 20)
        self.corvallo("scroll", "0")
        page = self.ask("settings", "state")["page"]
        bar, item = page["navigationBar"]["frame"], page["navigationBar"]["rightItem"]["customView"]["frame"]
        bar_top = bar["y"] if bar["y"] >= 20 else CONTENT_TOP - bar["height"]
        self.click("settings", bar["x"] + item["x"] + item["width"] - 17, bar_top + item["y"] + item["height"] / 2)
        menu = wait_for("the options menu", lambda: self.ask("settings", "state")["page"]["menu"])
        titles = [e["title"] for e in menu["entries"]]
        reset = next(i for i, t in enumerate(titles) if t and t.startswith("Reset"))
        # The entries as the screen draws them: 44-point rows under the button, 250 wide, right-aligned to it.
        size = self.browser.execute_script("return corvallo.sizes.settings")
        right = min(size[0] - 8, bar["x"] + item["x"] + item["width"])
        top = bar_top + item["y"] + item["height"] + 6
        self.click("settings", right - 125, top + 44 * reset + 22)
        alert = wait_for("the confirmation", lambda: self.ask("settings", "state")["page"]["alert"])
        self.assertTrue(alert["actions"])
        # Confirm: the destructive action of the sheet, drawn above its Cancel.
        actions = alert["actions"]
        main = [a for a in actions if a["style"] != 1]
        confirm = next(i for i, a in enumerate(main) if a["style"] == 2)
        head = (26 if alert.get("title") else 0) + (40 if alert.get("message") else 0) + 24
        cancel = len(main) != len(actions)
        bottom = size[1] - 34 - (57 + 8 if cancel else 0)
        top = bottom - (head + 57 * len(main))
        self.click("settings", size[0] / 2, top + head + 57 * confirm + 28)
        wait_for("the confirmation gone", lambda: not self.ask("settings", "state")["page"].get("alert"))
        # Reset restarts SpringBoard: the page shows it back before the next test.
        wait_for("SpringBoard back", lambda: self.browser.execute_script("return corvallo.status.home") == "up", 30)

    def test_d_a_killed_springboard_shows_the_restarting_notice_then_the_home_screen(self):
        wait_for("SpringBoard up", lambda: self.browser.execute_script("return corvallo.status.home") == "up", 30)
        pid = self.ask("springboard", "state")["pid"]
        self.browser.execute_script(
            "window.seen = []; const orig = corvallo.status; "
            "window.watchStatus = setInterval(() => seen.push(document.getElementById('notice-home').textContent.trim()), 5);")
        before = self.frames("home")
        os.kill(pid, signal.SIGKILL)
        wait_for("the restarting notice", lambda: "SpringBoard is restarting" in self.browser.execute_script(
            "return document.getElementById('notice-home').textContent + seen.join('|')"))
        wait_for("the home screen again", lambda: self.browser.execute_script("return corvallo.status.home") == "up"
                 and self.frames("home") > before, 30)
        self.assertNotEqual(self.ask("springboard", "state")["pid"], pid)
        self.assertFalse(self.browser.find_element("id", "notice-home").is_displayed())

    def test_e_requests_without_the_token_or_from_elsewhere_are_refused(self):
        status, _, headers = self.request("GET", "/", token=False)
        self.assertEqual(status, 403)
        self.assertEqual(self.request("GET", "/?token=" + "0" * 32, token=False)[0], 403)
        self.assertEqual(self.request("GET", "/", host="attacker.example:80")[0], 403)
        touch = json.dumps({"screen": "settings", "x": 10, "y": 10})
        self.assertEqual(self.request("POST", "/api/touch", origin="http://attacker.example", body=touch)[0], 403)
        self.assertEqual(self.request("POST", "/api/touch", body=touch)[0], 403, "a change with no Origin")
        ok, _, headers = self.request("GET", "/")
        self.assertEqual(ok, 200)
        self.assertFalse([h for h in headers if h.lower().startswith("access-control-")])

    def test_f_hostile_input_is_refused_and_the_hosts_carry_on(self):
        origin = "http://" + self.netloc
        post = lambda path, body: self.request("POST", path, origin=origin, body=json.dumps(body))[0]
        self.assertEqual(post("/api/touch", {"screen": "settings", "x": 5000, "y": 10}), 400)
        self.assertEqual(post("/api/touch", {"screen": "settings", "x": -1, "y": 10}), 400)
        self.assertEqual(post("/api/drag", {"screen": "settings", "dy": 1e300}), 400)
        self.assertIn(self.request("POST", "/api/set", origin=origin,
                                   body=json.dumps({"key": "activePageDotColor", "value": "#" * (10 << 20)}))[0],
                      (400, 413))
        codes = [post("/api/touch", {"screen": "home", "x": 1, "y": 1}) for _ in range(120)]
        self.assertIn(429, codes)
        self.assertTrue(self.ask("settings", "ping")["pong"])
        self.assertTrue(self.ask("springboard", "ping")["pong"])


if __name__ == "__main__":
    missing = [what for what, ok in (("python3-selenium", webdriver is not None), ("chromium", os.path.exists(CHROMIUM)),
                                     ("chromium-driver", os.path.exists(DRIVER))) if not ok]
    if missing:
        print("skipped: the browser tests need " + ", ".join(missing) + " (scripts/install-deps.sh installs them)")
        sys.exit(SKIP)
    unittest.main(argv=sys.argv[:1], verbosity=2)
