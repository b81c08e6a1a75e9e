#!/usr/bin/python3
"""Builds the browser's site from the module and the page's sources, and pelmora.html, the same
page in one file that works opened from disk.

  web-site.py --module pelmora.wasm --site SITE_FOLDER --single pelmora.html

Needs Debian's python3-fonttools and python3-brotli (WOFF2) and fonts-liberation.
"""
import argparse
import base64
import hashlib
import pathlib
import re
import shutil

from fontTools import subset

ROOT = pathlib.Path(__file__).resolve().parent.parent
FONTS = pathlib.Path('/usr/share/fonts/truetype/liberation')
FONT_LICENCE = pathlib.Path('/usr/share/doc/fonts-liberation/copyright')
# Latin, Cyrillic, the digits, and the punctuation and symbols numbers and texts use: no-break
# and narrow no-break spaces, dashes, quotes, the minus sign and infinity.
UNICODES = [*range(0x20, 0x7F), *range(0xA0, 0x100), *range(0x400, 0x460), 0x490, 0x491,
            *range(0x2010, 0x2016), *range(0x2018, 0x201F), 0x2022, 0x2026, 0x202F, 0x2039,
            0x203A, 0x2116, 0x2212, 0x221E]
# Liberation's licence lets a modified font be shared only under a name of its own: the subsets
# are "Pelmora Serif", in files of that name.
FAMILY = 'Pelmora Serif'


def subset_font(source, target, style):
    options = subset.Options()
    options.flavor = 'woff2'
    options.hinting = False
    options.desubroutinize = True
    options.name_IDs = [0, 1, 2, 3, 4, 5, 6, 7, 13, 14]
    font = subset.load_font(str(source), options)
    font.recalcTimestamp = False  # the same bytes from every build
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=UNICODES)
    subsetter.subset(font)
    names = font['name']
    for record_id, value in ((1, FAMILY), (3, f'{FAMILY} {style}'), (4, f'{FAMILY} {style}'),
                             (6, f'{FAMILY.replace(" ", "")}-{style}')):
        names.setName(value, record_id, 3, 1, 0x409)
        names.setName(value, record_id, 1, 0, 0)
    subset.save_font(font, str(target), options)


def copy(source, target):
    target.parent.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(source, target)


def build_site(module, site):
    if site.exists():
        shutil.rmtree(site)
    for name in ('index.html', 'pelmora.css', 'pelmora.js'):
        copy(ROOT / 'web' / name, site / name)
    for name in ('manifest.webmanifest', 'icon-192.png', 'icon-512.png'):
        copy(ROOT / 'app' / 'web' / name, site / name)
    copy(ROOT / 'app/icons/org.pelmora.Pelmora.svg', site / 'icon.svg')
    copy(ROOT / 'app/icons/16x16/org.pelmora.Pelmora.png', site / 'icon-16.png')
    copy(module, site / 'pelmora.wasm')
    (site / 'fonts').mkdir()
    for style, name in (('Regular', 'pelmora-serif'), ('Bold', 'pelmora-serif-bold')):
        subset_font(FONTS / f'LiberationSerif-{style}.ttf', site / f'fonts/{name}.woff2', style)
    copy(FONT_LICENCE, site / 'fonts/LICENSE')

    # The service worker keeps every file; its version is their contents'.
    files = sorted(path.relative_to(site).as_posix() for path in site.rglob('*') if path.is_file())
    digest = hashlib.sha256()
    for name in files:
        digest.update(name.encode() + b'\0' + (site / name).read_bytes())
    worker = (ROOT / 'web/sw.js').read_text(encoding='utf-8')
    worker = worker.replace('@VERSION@', digest.hexdigest()[:12])
    worker = worker.replace('@FILES@', ', '.join(f"'{name}'" for name in ['./', *files]))
    (site / 'sw.js').write_text(worker, encoding='utf-8')


def data_url(path, kind):
    return f'data:{kind};base64,{base64.b64encode(path.read_bytes()).decode()}'


def replace_once(text, old, new):
    if text.count(old) != 1:
        raise SystemExit(f'web-site.py: expected one {old!r} in the page')
    return text.replace(old, new)


def build_single_file(site, target):
    """The page with its module, script, styles, fonts and icons inlined; nothing fetched."""
    page = (site / 'index.html').read_text(encoding='utf-8')
    style = (site / 'pelmora.css').read_text(encoding='utf-8')
    style = re.sub(r'url\((fonts/[a-z-]+\.woff2)\)',
                   lambda m: f'url({data_url(site / m.group(1), "font/woff2")})', style)
    script = (site / 'pelmora.js').read_text(encoding='utf-8')
    module = base64.b64encode((site / 'pelmora.wasm').read_bytes()).decode()
    page = re.sub(r'<link rel="(manifest|apple-touch-icon|preload)"[^>]*>\n', '', page)
    page = re.sub(r'<script>window.pelmoraModule[^<]*</script>\n', '', page)
    icon, title_icon = data_url(site / 'icon.svg', 'image/svg+xml'), data_url(site / 'icon-16.png',
                                                                            'image/png')
    page = replace_once(page, 'href="icon.svg"', f'href="{icon}"')
    page = replace_once(page, 'src="icon-16.png"', f'src="{title_icon}"')
    page = replace_once(page, '<link rel="stylesheet" href="pelmora.css">',
                        f'<style>\n{style}</style>')
    page = replace_once(page, '<script src="pelmora.js" defer fetchpriority="high"></script>\n', '')
    page = replace_once(page, '</body>',
                        f'<script id="pelmora-wasm" type="application/octet-stream">{module}'
                        f'</script>\n<script>\n{script}</script>\n</body>')
    target.write_text(page, encoding='utf-8')


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--module', type=pathlib.Path, required=True)
    parser.add_argument('--site', type=pathlib.Path, required=True)
    parser.add_argument('--single', type=pathlib.Path, required=True)
    arguments = parser.parse_args()
    build_site(arguments.module, arguments.site)
    build_single_file(arguments.site, arguments.single)


if __name__ == '__main__':
    main()
