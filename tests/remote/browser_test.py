#!/usr/bin/python3
"""The remote page and the marquee in a real browser (headless chromium driven by
chromium-driver) against the real program on the offscreen platform, in a private hall
folder: the PIN opens the remote, 下一曲 changes the program's track and the page follows, and
the marquee shows the next style when the track changes.

usage: browser_test.py PROGRAM DIST RECDB TRACK [--screenshots DIR]
Exits 77 (skipped) when selenium, chromium, chromedriver or the private PulseAudio of
scripts/with-test-env is missing."""

import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

SKIP = 77
PIN = "135790"
# Three slots of different styles, each a track long enough not to end during the test.
SLOTS = [("1", "慢四", "月光"), ("2", "探戈", "晚风"), ("3", "华尔兹", "远方")]

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    print("skipped: python3-selenium is not installed")
    sys.exit(SKIP)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def prepare_hall(hall, dist, recdb, track):
    for name in ("dqqf.dat", "dqqfls.dat", "qfsz.dat", "ss.dat"):
        shutil.copy(os.path.join(dist, name), hall)
    os.makedirs(os.path.join(hall, "lb"))
    with open(track, "rb") as source:
        data = source.read()
    for number, style, title in SLOTS:
        path = os.path.join(hall, f"track{number}.mp3")
        with open(path, "wb") as copy:
            copy.write(data * 10)
        subprocess.run([recdb, "append", os.path.join(hall, "dqqf.dat"), number, style, title,
                        path], check=True, stdout=subprocess.DEVNULL)
    # Saved under its GBK name, as the program names show files; it becomes the current show.
    saved = os.path.join(os.fsencode(hall), b"lb", "周六".encode("gbk") + b".dat")
    shutil.copy(os.path.join(hall, "dqqf.dat"), saved)
    port = free_port()
    with open(os.path.join(hall, "remote.ini"), "w", encoding="ascii") as settings:
        settings.write(f"[remote]\nenabled=1\nport={port}\nlan=0\npin={PIN}\nmarqueePin=0\n")
    return port


def wait_for(what, check, seconds=15):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = check()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError(f"timed out waiting for {what}")


def listening(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=0.2):
            return True
    except OSError:
        return False


def program_state(port, token):
    request = urllib.request.Request(f"http://127.0.0.1:{port}/api/state",
                                     headers={"X-Remote-Token": token})
    with urllib.request.urlopen(request, timeout=2) as answer:
        return json.load(answer)


def browser(width, height):
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium")
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     f"--window-size={width},{height}", "--lang=zh-CN"):
        options.add_argument(argument)
    return webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)


def text(driver, element_id):
    return driver.find_element(By.ID, element_id).text


def sink_volume():
    """The default sink's volume as pactl gives it ("70%"), or None when it cannot be read."""
    result = subprocess.run(["pactl", "get-sink-volume", "@DEFAULT_SINK@"],
                            capture_output=True, text=True, check=False)
    found = re.search(r"(\d+)%", result.stdout)
    return found.group(0) if result.returncode == 0 and found else None


def main():
    arguments = sys.argv[1:]
    screenshots = None
    if "--screenshots" in arguments:
        at = arguments.index("--screenshots")
        screenshots = arguments[at + 1]
        del arguments[at:at + 2]
    program, dist, recdb, track = arguments
    if not shutil.which("chromium") or not shutil.which("chromedriver"):
        print("skipped: chromium or chromedriver is not installed")
        return SKIP
    # Without a sound server the program's start-up waits on a message box about the volume.
    if not os.environ.get("PULSE_SERVER"):
        print("skipped: no private PulseAudio (run under scripts/with-test-env)")
        return SKIP

    # The program sets the sink's volume and, killed, never puts it back: the sound tests
    # after this one must hear the sink as it was.
    start_volume = sink_volume()
    hall = tempfile.mkdtemp(prefix="remote_browser_")
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_CONFIG_HOME=hall)
    running = None
    remote = marquee = None
    try:
        port = prepare_hall(hall, dist, recdb, track)
        running = subprocess.Popen([program, "--data", hall, "--no-resume"], env=environment,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for("the program to listen", lambda: listening(port))
        base = f"http://127.0.0.1:{port}"

        remote = browser(412, 915)
        remote.get(base + "/")
        wait = WebDriverWait(remote, 10)
        wait.until(lambda d: d.find_element(By.ID, "pin").is_displayed())
        remote.find_element(By.ID, "pin").send_keys(PIN)
        remote.find_element(By.ID, "enter").click()
        wait.until(lambda d: len(d.find_elements(By.CSS_SELECTOR, "#slots li")) == 3)
        assert text(remote, "shows") == "周六", text(remote, "shows")
        token = remote.execute_script("return sessionStorage.getItem('remoteToken')")
        assert token, "the PIN opened no session"

        remote.find_element(By.ID, "playPause").click()
        wait.until(lambda d: text(d, "title") == "月光")
        assert program_state(port, token)["title"] == "月光"

        remote.find_element(By.XPATH, "//button[text()='下一曲']").click()
        # The program's own window says 晚风 first; the page follows by its push.
        wait_for("the program's track to change", lambda: program_state(port, token)["title"] == "晚风", 5)
        wait.until(lambda d: text(d, "title") == "晚风" and text(d, "style") == "探戈")
        assert text(remote, "next") == "华尔兹", text(remote, "next")
        # Read in one step: a push may rebuild the list between finding an item and reading it.
        wait.until(lambda d: "playing" in d.execute_script(
            "return document.querySelector('#slots li:nth-child(2)').className"))
        # The time played counts on in the page between the program's messages.
        before = text(remote, "played")
        wait_for("the time played to count on", lambda: text(remote, "played") != before, 3)

        marquee = browser(1280, 720)
        marquee.get(base + "/marquee")
        WebDriverWait(marquee, 10).until(lambda d: text(d, "style") == "探戈")
        assert text(marquee, "next") == "华尔兹"
        remote.find_element(By.XPATH, "//button[text()='下一曲']").click()
        WebDriverWait(marquee, 5).until(lambda d: text(d, "style") == "华尔兹")
        wait.until(lambda d: text(d, "style") == "华尔兹")

        if screenshots:
            os.makedirs(screenshots, exist_ok=True)
            time.sleep(1.2)  # a pushed second of play time, as a visitor would see it
            remote.save_screenshot(os.path.join(screenshots, "remote-page.png"))
            marquee.save_screenshot(os.path.join(screenshots, "marquee-page.png"))
        print("remote page and marquee followed the program")
        return 0
    finally:
        for driver in (remote, marquee):
            if driver:
                driver.quit()
        if running:
            running.send_signal(signal.SIGKILL)
            running.wait()
        shutil.rmtree(hall, ignore_errors=True)
        if start_volume:
            subprocess.run(["pactl", "set-sink-volume", "@DEFAULT_SINK@", start_volume], check=False)


if __name__ == "__main__":
    sys.exit(main())
