#!/usr/bin/python3
"""The browser's page against a static page of ours, in Debian's headless Chromium on localhost.

  bench/web_bench.py [RUNS]   (default 15; bench/web.sh builds the site first and runs this)

1. Sizes: every file of build/web/site and pelmora.html, raw and as a static server would send
   them compressed (gzip -9, brotli 11; fonts and pictures are compressed already).
2. Side by side, alternating, HTTP cache and service worker off: the static page is the live
   page's own DOM once it has started (same controls, styles and fonts), without any script.
   First paint with the fonts is Chromium's largest contentful paint (a text is painted only once
   its font is there); answering a click is the moment at which the first click on «Вариант 4»
   that takes effect, of clicks sent again and again from the navigation on, has been handled:
   the option's change event has passed the page's own listeners (for the page, the presenter
   has opened row 4; the static page has checked the option).
3. A Calculate click to the repainted fields, from Chromium's trace: the main thread's work for
   the click (the module's Calculate, the fields written) and for the next frame's style,
   layout, paint and layerize; the wait for that frame is reported apart.
"""
import gzip
import json
import pathlib
import shutil
import statistics
import sys
import tempfile
import time

import brotli
from selenium.webdriver.common.action_chains import ActionChains

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / 'scripts'))
from chromium import Site, chromium, click, open_page, quit_chromium, wait_for  # noqa: E402

WEB = ROOT / 'build/web'
# What the page loads on a first visit; the service worker then fetches the rest of the site.
PAGE = ['index.html', 'pelmora.css', 'pelmora.js', 'pelmora.wasm', 'fonts/pelmora-serif.woff2',
        'fonts/pelmora-serif-bold.woff2', 'icon.svg', 'icon-16.png', 'manifest.webmanifest',
        'sw.js']
STATIC_PAGE = """
const copy = document.documentElement.cloneNode(true);
copy.querySelectorAll('script').forEach(node => node.remove());
const statement = copy.querySelector('#Text1_0');
statement.textContent = document.getElementById('Text1_0').value;
copy.querySelector('#Option1_0 input').setAttribute('checked', '');
return '<!DOCTYPE html>\\n' + copy.outerHTML;
"""
PAINTS = """(() => {
const paint = type => new Promise(done => new PerformanceObserver(list =>
    done(list.getEntries().at(-1).startTime)).observe({type, buffered: true}));
return Promise.all([paint('paint'), paint('largest-contentful-paint')]);
})()"""
# When the option's change has been handled by the page's own listeners (those on the option
# itself), as the page's clock has it; given every page before its own script.
ANSWER_PROBE = """
addEventListener('change', event => {
  if (event.target.closest('#Option1_3')) window.answered ??= performance.now();
});"""
ANSWERED = {
    'index.html': "document.querySelector('#Text2_13 input').readOnly === false",
    'static.html': "document.querySelector('#Option1_3 input').checked",
}


def sizes(site):
    rows = []
    for path in sorted([*site.rglob('*'), WEB / 'pelmora.html']):
        if path.is_file():
            data = path.read_bytes()
            # A file that compression does not make smaller is sent as it is.
            rows.append((path.relative_to(site).as_posix() if path.is_relative_to(site)
                         else path.name, len(data), min(len(data), len(gzip.compress(data, 9))),
                         min(len(data), len(brotli.compress(data, quality=11)))))
    print(f'{"file":34} {"bytes":>9} {"gzip":>9} {"brotli":>9}')
    for row in rows:
        print(f'{row[0]:34} {row[1]:9,} {row[2]:9,} {row[3]:9,}')
    for title, names in (('the page, first visit', PAGE),
                         ('the whole site', [r[0] for r in rows if r[0] != 'pelmora.html'])):
        chosen = [r for r in rows if r[0] in names]
        print(f'{title:34} {sum(r[1] for r in chosen):9,} {sum(r[2] for r in chosen):9,} '
              f'{sum(r[3] for r in chosen):9,}')


def cdp(driver, method, **params):
    return driver.execute_cdp_cmd(method, params)


def evaluate(driver, expression):
    return cdp(driver, 'Runtime.evaluate', expression=expression, returnByValue=True,
               awaitPromise=True)['result'].get('value')


def answer_time(driver, url, page, point):
    """From navigation start to the first click that took effect, in ms."""
    cdp(driver, 'Page.navigate', url='about:blank')
    cdp(driver, 'Page.navigate', url=url + page)
    end = time.monotonic() + 10
    while time.monotonic() < end:
        for kind in ('mousePressed', 'mouseReleased'):
            cdp(driver, 'Input.dispatchMouseEvent', type=kind, button='left', clickCount=1, **point)
        answered = evaluate(driver, f'window.answered && ({ANSWERED[page]}) && window.answered')
        if answered:
            return answered
    raise RuntimeError(f'{page} never answered')


def side_by_side(site_folder, runs):
    folder = pathlib.Path(tempfile.mkdtemp(prefix='pelmora-bench-'))
    shutil.copytree(site_folder, folder, dirs_exist_ok=True)
    site = Site(folder)
    driver = chromium()
    try:
        open_page(driver, site.url)
        (folder / 'static.html').write_text(driver.execute_script(STATIC_PAGE), encoding='utf-8')
        box = driver.find_element('id', 'Option1_3').rect
        point = {'x': box['x'] + box['width'] / 2, 'y': box['y'] + box['height'] / 2}
        cdp(driver, 'Network.enable')
        cdp(driver, 'Network.setCacheDisabled', cacheDisabled=True)
        cdp(driver, 'Network.setBypassServiceWorker', bypass=True)
        cdp(driver, 'Page.addScriptToEvaluateOnNewDocument', source=ANSWER_PROBE)
        results = {page: {'fcp': [], 'lcp': [], 'click': []} for page in ANSWERED}
        for _ in range(runs):
            for page, result in results.items():
                driver.get('about:blank')
                driver.get(site.url + page)
                wait_for(lambda: evaluate(driver, "document.readyState === 'complete'"))
                time.sleep(0.3)
                fcp, lcp = evaluate(driver, PAINTS)
                result['fcp'].append(fcp)
                result['lcp'].append(lcp)
                result['click'].append(answer_time(driver, site.url, page, point))
    finally:
        quit_chromium(driver)
        site.stop()
        shutil.rmtree(folder)
    print(f'\nmedian of {runs} runs each, alternating (ms from navigation start):')
    print(f'{"":12} {"first paint":>12} {"with fonts":>12} {"answers a click":>16}')
    medians = {page: {k: statistics.median(v) for k, v in r.items()} for page, r in results.items()}
    for page, m in medians.items():
        print(f'{page:12} {m["fcp"]:12.1f} {m["lcp"]:12.1f} {m["click"]:16.1f}')
    page, static = medians['index.html'], medians['static.html']
    print(f'{"ratio":12} {page["fcp"] / static["fcp"]:12.2f} {page["lcp"] / static["lcp"]:12.2f} '
          f'{page["click"] / static["click"]:16.2f}')


def click_to_paint(trace, dispatch):
    """The main thread's work for a click and its frame, the wait for the frame, and the
    click's own handling (the page's handler and what it calls), in ms."""
    done = dispatch['ts'] + dispatch['dur']
    frame = [e for e in trace if e['tid'] == dispatch['tid'] and e['ts'] >= done and
             e.get('name') in ('UpdateLayoutTree', 'Layout', 'PrePaint', 'Paint', 'Layerize')]
    paint_end = next(e['ts'] + e['dur'] for e in frame if e['name'] == 'Paint')
    busy = dispatch['dur'] + sum(e['dur'] for e in frame if e['ts'] < paint_end + 5000)
    return busy / 1000, (paint_end - dispatch['ts'] - busy) / 1000, dispatch['dur'] / 1000


def calculate_click(site_folder, runs, later=8):
    """The first Calculate of a page, and `later` ones after it, each with another R."""
    site = Site(site_folder)
    results = {'first': [], 'later': []}
    try:
        for _ in range(runs):
            driver = chromium(trace='devtools.timeline')
            try:
                open_page(driver, site.url)
                time.sleep(1)  # a user takes longer to type
                for field, value in ((0, '3'), (1, '5')):
                    click(driver, f'Text2_{field}')
                    ActionChains(driver).send_keys(value).perform()
                for digit in range(later + 1):
                    click(driver, 'Command1_0')
                    click(driver, 'Text2_0')
                    ActionChains(driver).send_keys('\b' * 5 + str(digit + 1)).perform()
                time.sleep(0.3)
                events = [json.loads(entry['message'])['message'] for entry in
                          driver.get_log('performance')]
            finally:
                quit_chromium(driver)
            trace = [e['params'] for e in events if e['method'] == 'Tracing.dataCollected']
            clicks = [e for e in trace if e.get('name') == 'EventDispatch' and
                      e['args']['data']['type'] == 'click']
            # The clicks: field 0, field 1, then «Изчисли» and field 0 by turns.
            results['first'].append(click_to_paint(trace, clicks[2]))
            results['later'] += [click_to_paint(trace, c) for c in clicks[4::2]]
    finally:
        site.stop()
    print(f'\nCalculate click to the repainted fields, {runs} pages (ms of main-thread work: '
          'median, least, most; the median of the click\'s own handling in it; the median '
          'wait for the frame besides):')
    for name, result in results.items():
        work = [r[0] for r in result]
        print(f'{name:8} {statistics.median(work):6.2f} {min(work):6.2f} {max(work):6.2f}   '
              f'{statistics.median(r[2] for r in result):6.2f}   '
              f'{statistics.median(r[1] for r in result):6.2f}')


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 15
    site = WEB / 'site'
    sizes(site)
    side_by_side(site, runs)
    calculate_click(site, max(runs // 3, 5))


if __name__ == '__main__':
    main()
