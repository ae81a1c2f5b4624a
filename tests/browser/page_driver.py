"""Opens comptab's interactive page in headless Chromium for the browser
cases (tests/browser/*.py): a fresh profile each time, nothing fetched
from the network, and the page's own console errors collected."""
import os
import shutil
import sys
import tempfile

SKIP = 77


def chromium_paths():
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    driver = shutil.which("chromedriver")
    return browser, driver


def open_browser(width=1400, height=900):
    """A headless Chromium under Selenium, or exit 77 (skip) when either is
    missing."""
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError:
        print("skipped: python3-selenium is not installed")
        sys.exit(SKIP)
    browser, driver = chromium_paths()
    if not browser or not driver:
        print("skipped: chromium or chromium-driver is not installed")
        sys.exit(SKIP)
    profile = tempfile.mkdtemp(prefix="comptab-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = browser
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                 "--disable-component-update", "--no-first-run", "--disable-dev-shm-usage",
                 "--user-data-dir=" + profile, "--window-size=%d,%d" % (width, height)):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
    web = webdriver.Chrome(service=Service(driver), options=options)
    web.comptab_profile = profile
    return web


def close_browser(web):
    profile = getattr(web, "comptab_profile", None)
    web.quit()
    if profile:
        shutil.rmtree(profile, ignore_errors=True)


def page_errors(web):
    """The page's console errors (a script that threw, a blocked request)."""
    return [e["message"] for e in web.get_log("browser") if e.get("level") == "SEVERE"]


def network_requests(web):
    """Every URL the browser asked for that is not a file, a data: URL or
    the browser's own pages (its new-tab page loads before ours)."""
    import json
    urls = []
    for entry in web.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message.get("method") == "Network.requestWillBeSent":
            url = message["params"]["request"]["url"]
            if not url.startswith(("file://", "data:", "chrome://", "chrome-untrusted://", "about:")):
                urls.append(url)
    return urls


def file_url(path):
    return "file://" + os.path.abspath(path)
