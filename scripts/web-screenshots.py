#!/usr/bin/python3
"""Pictures of the browser's page in Debian's headless Chromium, under Bulgarian settings:

  scripts/web-screenshots.py FOLDER [SITE]   (SITE: build/web/site)

empty.png (the page as it opens), example.png (R = 3, L = 5, «Изчисли»), failure.png (the box
of a failed calculation), phone.png (a 360 pixel wide phone in portrait, at 3 device pixels a
CSS pixel, after the example), dark.png (the example under a dark colour scheme) and
contrast.png (the example with the system's forced colours, a high-contrast theme).
"""
import pathlib
import sys
import time

from selenium.webdriver.common.action_chains import ActionChains

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from chromium import Site, chromium, click, open_page, quit_chromium  # noqa: E402

DESKTOP = {'width': 478, 'height': 382, 'deviceScaleFactor': 1, 'mobile': False}
PHONE = {'width': 360, 'height': 740, 'deviceScaleFactor': 3, 'mobile': True}


def typed(field, text):
    def act(driver):
        click(driver, f'Text2_{field}')
        ActionChains(driver).send_keys(text).perform()
    return act


EXAMPLE = [typed(0, '3'), typed(1, '5'), lambda driver: click(driver, 'Command1_0')]
FAILURE = [lambda driver: click(driver, 'Option1_1'), typed(4, '0'), typed(6, '5'),
           lambda driver: click(driver, 'Command1_0')]
LIGHT = [{'name': 'prefers-color-scheme', 'value': 'light'}]
DARK = [{'name': 'prefers-color-scheme', 'value': 'dark'}]
CONTRAST = [*DARK, {'name': 'forced-colors', 'value': 'active'}]
POSES = {'empty': (DESKTOP, [], LIGHT), 'example': (DESKTOP, EXAMPLE, LIGHT),
         'failure': (DESKTOP, FAILURE, LIGHT), 'phone': (PHONE, EXAMPLE, LIGHT),
         'dark': (DESKTOP, EXAMPLE, DARK), 'contrast': (DESKTOP, EXAMPLE, CONTRAST)}


def main():
    folder = pathlib.Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    site = Site(sys.argv[2] if len(sys.argv) > 2 else 'build/web/site')
    try:
        for name, (screen, actions, media) in POSES.items():
            driver = chromium('bg-BG')
            try:
                driver.execute_cdp_cmd('Emulation.setDeviceMetricsOverride', screen)
                driver.execute_cdp_cmd('Emulation.setEmulatedMedia', {'features': media})
                open_page(driver, site.url)
                for act in actions:
                    act(driver)
                time.sleep(0.3)  # the caret and the last frame
                driver.save_screenshot(str(folder / f'{name}.png'))
            finally:
                quit_chromium(driver)
            print(folder / f'{name}.png')
    finally:
        site.stop()


if __name__ == '__main__':
    main()
