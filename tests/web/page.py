#!/usr/bin/python3
"""The page in Debian's headless Chromium, driven with real input (WebDriver actions).

  page.py adapter SITE   the window scenarios' adapter (web_scenarios_test.cpp): one command
                         a line on stdin, its answer on stdout
  page.py checks SITE SINGLE_HTML [unittest options]   what only the browser has
"""
import pathlib
import sys
import unittest

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / 'scripts'))
from chromium import Site, chromium, click, open_page, quit_chromium, wait_for  # noqa: E402

KEYS = {'Tab': Keys.TAB, 'Space': Keys.SPACE, 'Enter': Keys.ENTER, 'Escape': Keys.ESCAPE,
        'Up': Keys.UP, 'Down': Keys.DOWN, 'Left': Keys.LEFT, 'Right': Keys.RIGHT,
        'Home': Keys.HOME, 'End': Keys.END, 'Backspace': Keys.BACKSPACE, 'Delete': Keys.DELETE}
# Everything the scenarios look at, in one round trip.
STATE = """
const fields = [...Array(24).keys()].map(n => document.querySelector(`#Text2_${n} input`));
const dialog = document.getElementById('failure');
return {texts: fields.map(f => f.value), enabled: fields.map(f => !f.disabled),
        locked: fields.map(f => f.readOnly),
        selected: [...Array(6).keys()].map(n =>
            document.querySelector(`#Option1_${n} input`).checked),
        focus: document.activeElement.closest('[id]')?.id ?? '(none)',
        statement: document.getElementById('Text1_0').value,
        failure: dialog.open ? document.getElementById('failure-text').textContent : null,
        failureTitle: document.getElementById('failure-title').textContent};
"""


def press(driver, key):
    actions = ActionChains(driver)
    if key == 'Shift+Tab':
        actions.key_down(Keys.SHIFT).send_keys(Keys.TAB).key_up(Keys.SHIFT)
    else:
        actions.send_keys(KEYS[key])
    actions.perform()


def escaped(text):
    return text.replace('\\', '\\\\').replace('\n', '\\n').replace('\r', '\\r')


def serve_adapter(site_folder):
    """Answers web_scenarios_test.cpp: open | click NAME | keys TEXT | press KEY | state |
    failures 0|1. Each answer ends with a line 'done'."""
    site = Site(site_folder)
    driver = chromium()
    acted_on = None  # the control of the last click or key press: a box gives the focus back
    try:
        for line in sys.stdin:
            verb, _, argument = line.rstrip('\n').partition(' ')
            if verb == 'open':
                open_page(driver, site.url)
            elif verb == 'click':
                click(driver, argument)
                acted_on = argument
            elif verb == 'keys':
                ActionChains(driver).send_keys(argument).perform()
            elif verb == 'press':
                acted_on = driver.execute_script(STATE)['focus']
                press(driver, argument)
            elif verb == 'state':
                state = driver.execute_script(STATE)
                for key in ('texts', 'enabled', 'locked', 'selected'):
                    print(*(escaped(v) if isinstance(v, str) else int(v) for v in state[key]),
                          sep='\t')
                print(state['focus'], escaped(state['statement']), sep='\n')
            elif verb == 'failures':
                # A box the user reads, then closes with Enter; the focus must go back.
                state = driver.execute_script(STATE)
                if argument == '1' and state['failure'] is None:
                    state = wait_for(lambda: (s := driver.execute_script(STATE))['failure']
                                     is not None and s, 3.0) or state
                if state['failure'] is not None:
                    print(escaped(state['failure']))
                    if state['failureTitle'] != 'Pelmora':
                        print('the box is not titled Pelmora')
                    press(driver, 'Enter')
                    after = driver.execute_script(STATE)
                    if after['failure'] is not None or after['focus'] != acted_on:
                        print(f'the box stays open or the focus moved to {after["focus"]}')
            print('done', flush=True)
    finally:
        quit_chromium(driver)
        site.stop()


class BrowserChecks(unittest.TestCase):
    """What only the browser has; each check in a Chromium of its own."""
    site_folder = single_file = None

    def chromium(self, language='en-US', url=None):
        driver = chromium(language)
        self.addCleanup(quit_chromium, driver)
        if url:
            open_page(driver, url)
        return driver

    def served(self):
        site = Site(self.site_folder)
        self.addCleanup(site.stop)
        return site

    def calculate(self, driver, first, second):
        """Types R and L into row 0, presses «Изчисли»; the row's texts."""
        for field, value in ((0, first), (1, second)):
            click(driver, f'Text2_{field}')
            ActionChains(driver).send_keys(value).perform()
        click(driver, 'Command1_0')
        return driver.execute_script(STATE)['texts'][:4]

    def test_numbers_follow_the_browser_language_and_copy_without_grouping(self):
        for language, r, l, row, said, copied in (
                ('bg-BG', '100', '200', ['100,000', '200,000', '62\xa0831,853', '94\xa0247,780'],
                 'So 62\xa0831,853, Sp 94\xa0247,780', '100,000 200,000 62831,853 94247,780'),
                ('en-IN', '1e6', '1e6', ['10,00,000.000', '10,00,000.000',
                                         '31,41,59,26,53,589.790', '62,83,18,53,07,179.580'],
                 'So 31,41,59,26,53,589.790, Sp 62,83,18,53,07,179.580',
                 '1000000.000 1000000.000 3141592653589.790 6283185307179.580')):
            with self.subTest(language):
                driver = self.chromium(language, self.served().url)
                driver.execute_cdp_cmd('Browser.grantPermissions', {
                    'permissions': ['clipboardReadWrite', 'clipboardSanitizedWrite']})
                clipboard = "navigator.clipboard.readText().then(arguments[0])"
                self.assertEqual(self.calculate(driver, r, l), row)
                self.assertEqual(driver.execute_script(
                    "return document.getElementById('announcement').textContent"), said)
                ActionChains(driver).key_down(Keys.CONTROL).key_down(Keys.SHIFT).send_keys('c') \
                    .key_up(Keys.SHIFT).key_up(Keys.CONTROL).perform()
                self.assertEqual(driver.execute_async_script(clipboard), ''.join(
                    f'{name} = {value}\n' for name, value in zip(('R', 'L', 'So', 'Sp'),
                                                                 copied.split())))
                ActionChains(driver).context_click(driver.find_element('id', 'Text2_2')).perform()
                ActionChains(driver).click(driver.find_element('css selector', '#menu button')) \
                    .perform()
                self.assertEqual(driver.execute_async_script(clipboard), copied.split()[2])

    def test_phone_portrait_shows_the_whole_window_and_takes_touch(self):
        driver = self.chromium()
        driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', {
            'width': 360, 'height': 740, 'deviceScaleFactor': 3, 'mobile': True})
        driver.execute_cdp_cmd('Emulation.setTouchEmulationEnabled', {'enabled': True})
        open_page(driver, self.served().url)
        box, size, keyboards = driver.execute_script("""
            const frame = document.getElementById('window');
            return [frame.getBoundingClientRect(), [frame.offsetWidth, frame.offsetHeight],
                    [...document.querySelectorAll('.field')].map(f => f.inputMode)];""")
        self.assertTrue(box['left'] >= 0 and box['right'] <= 360 and box['bottom'] <= 740, box)
        self.assertAlmostEqual(box['width'] / box['height'], size[0] / size[1], places=2)
        self.assertEqual(set(keyboards), {'decimal'})
        option = driver.find_element('id', 'Option1_3').rect
        point = {'x': option['x'] + option['width'] / 2, 'y': option['y'] + option['height'] / 2}
        for kind, points in (('touchStart', [point]), ('touchEnd', [])):
            driver.execute_cdp_cmd('Input.dispatchTouchEvent',
                                   {'type': kind, 'touchPoints': points})
        self.assertEqual(wait_for(lambda: driver.execute_script(STATE)['selected'][3]), True)

    def test_installable_and_offline_after_a_first_visit(self):
        site = self.served()
        driver = self.chromium(url=site.url)
        self.assertEqual(driver.execute_cdp_cmd('Page.getInstallabilityErrors', {}),
                         {'installabilityErrors': []})
        self.assertTrue(wait_for(lambda: driver.execute_script(
            'return navigator.serviceWorker.controller !== null')), 'no service worker')
        site.stop()
        open_page(driver, site.url)
        self.assertEqual(self.calculate(driver, '3', '5'), ['3.000', '5.000', '47.124', '75.398'])

    def test_single_file_works_from_disk_alone(self):
        driver = self.chromium(url=pathlib.Path(self.single_file).resolve().as_uri())
        self.assertEqual(self.calculate(driver, '3', '5'), ['3.000', '5.000', '47.124', '75.398'])
        self.assertEqual(driver.execute_script(
            "return performance.getEntriesByType('resource').map(r => r.name)"), [])

    def test_accessibility_tree_names_every_control(self):
        driver = self.chromium(url=self.served().url)
        self.calculate(driver, '3', '5')
        nodes = driver.execute_cdp_cmd('Accessibility.getFullAXTree', {})['nodes']
        named = {(n.get('role', {}).get('value'), n.get('name', {}).get('value')) for n in nodes}
        wanted = {('textbox', f'Вариант {row + 1}, {column}')
                  for row in range(6) for column in ('R', 'L', 'So', 'Sp')}
        wanted |= {('radio', f'Вариант {row + 1}') for row in range(6)}
        wanted |= {('button', 'Изчисли'), ('button', 'Изчисти'),
                   ('textbox', 'Условие на задачата'), ('RootWebArea', 'Pelmora')}
        self.assertEqual(wanted - named, set())
        live = [n for n in nodes if {'name': 'live', 'value': {'type': 'token', 'value': 'polite'}}
                in n.get('properties', []) and n.get('childIds')]
        texts = {n.get('name', {}).get('value') for n in nodes
                 if any(n['nodeId'] in region['childIds'] for region in live)}
        self.assertIn('So 47.124, Sp 75.398', texts)


def main():
    mode, site = sys.argv[1], pathlib.Path(sys.argv[2])
    if mode == 'adapter':
        serve_adapter(site)
    else:
        BrowserChecks.site_folder, BrowserChecks.single_file = site, sys.argv[3]
        unittest.main(argv=[sys.argv[0], '-v', *sys.argv[4:]])


if __name__ == '__main__':
    main()
