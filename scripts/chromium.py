"""Debian's headless Chromium for the page's tests, screenshots and benchmark: a browser driven
through WebDriver (python3-selenium, chromium-driver) and a local server for the site."""
import functools
import http.server
import shutil
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.chrome.service import Service

# Without the network flags Chromium's own connections are refused by a closed network and slow
# its start; as root it needs --no-sandbox.
FLAGS = ['--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync',
         '--window-size=800,600']


class Site:
    """The site served on 127.0.0.1 at a free port, until stop()."""

    def __init__(self, folder):
        handler = functools.partial(QuietHandler, directory=str(folder))
        self.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        self.url = f'http://127.0.0.1:{self.server.server_port}/'
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def stop(self):
        self.server.shutdown()
        self.server.server_close()


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def chromium(language='en-US', trace=None):
    """A fresh headless Chromium for `language`; with `trace` (trace categories), its trace
    comes in the 'performance' log."""
    options = webdriver.ChromeOptions()
    if trace:
        options.set_capability('goog:loggingPrefs', {'performance': 'ALL'})
        options.add_experimental_option('perfLoggingPrefs', {'traceCategories': trace})
    options.binary_location = '/usr/bin/chromium'
    profile = tempfile.mkdtemp(prefix='pelmora-chromium-')
    for flag in FLAGS + [f'--user-data-dir={profile}', f'--lang={language}']:
        options.add_argument(flag)
    options.add_experimental_option('prefs', {'intl.accept_languages': language})
    driver = webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)
    driver.profile = profile
    return driver


def quit_chromium(driver):
    driver.quit()
    shutil.rmtree(driver.profile, ignore_errors=True)


def wait_for(condition, timeout=5.0):
    end = time.monotonic() + timeout
    while not (result := condition()) and time.monotonic() < end:
        time.sleep(0.02)
    return result


def open_page(driver, url):
    driver.get(url)
    # Ready when the presenter has shown the form: option 0 selected.
    if not wait_for(lambda: driver.execute_script(
            "return document.querySelector('#Option1_0 input')?.checked")):
        raise RuntimeError(f'the page at {url} did not start')


def click(driver, name):
    """Clicks control `name` (its id) at its centre with the mouse."""
    ActionChains(driver).move_to_element(driver.find_element('id', name)).click().perform()
