#!/usr/bin/env python3
"""larkspool-cli export --wacz from outside: the demo cache and the real
caches of the shared test data packed as WACZ files, read back with Python's
own zip, gzip and hash code. Every member is stored, every size and hash of
datapackage.json is the member's, each index line's range of the WARC is one
gzip member holding that URL's record with that payload digest, the index is
sorted, and every HTML page is listed. A WACZ that cannot be written leaves
nothing behind."""
import gzip
import hashlib
import json
import pathlib
import subprocess
import sys
import tempfile
import zipfile

CLI, DEMO_MAKER, TESTDATA = sys.argv[1], sys.argv[2], pathlib.Path(sys.argv[3])
MEMBERS = ['archive/data.warc.gz', 'indexes/index.cdx', 'pages/pages.jsonl', 'datapackage.json',
           'datapackage-digest.json']
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def cli(cache, *args):
    return subprocess.run([CLI, '--cache', str(cache), *args], capture_output=True, text=True, timeout=600)


def sha256(data):
    return 'sha256:' + hashlib.sha256(data).hexdigest()


def warc_record(member):
    """Head fields and payload of the one WARC record in a gzip member."""
    data = gzip.decompress(member)
    head, _, block = data.partition(b'\r\n\r\n')
    fields = dict(line.split(': ', 1) for line in head.decode().split('\r\n')[1:])
    length = int(fields['Content-Length'])
    check(block[length:] == b'\r\n\r\n', 'a record ends in two line breaks')
    block = block[:length]
    payload = block.partition(b'\r\n\r\n')[2] if fields['WARC-Type'] == 'response' else block
    return fields, payload


def check_wacz(name, path, report):
    with zipfile.ZipFile(path) as wacz:
        infos = {info.filename: info for info in wacz.infolist()}
        check(sorted(infos) == sorted(MEMBERS), f'{name}: members {sorted(infos)}')
        check(all(info.compress_type == zipfile.ZIP_STORED for info in infos.values()),
              f'{name}: every member stored')
        data = {member: wacz.read(member) for member in infos}
    package = json.loads(data['datapackage.json'])
    check(package['profile'] == 'data-package' and package['wacz_version'] == '1.1.1', f'{name}: profile')
    for resource in package['resources']:
        member = data.get(resource['path'], b'')
        check(resource['bytes'] == len(member) and resource['hash'] == sha256(member),
              f'{name}: {resource["path"]} size and hash')
    check(json.loads(data['datapackage-digest.json'])['hash'] == sha256(data['datapackage.json']),
          f'{name}: the package digest')

    warc = data['archive/data.warc.gz']
    lines = data['indexes/index.cdx'].decode().splitlines()
    check(lines == sorted(lines), f'{name}: the index is sorted')
    indexed = {}
    for line in lines:
        surt, timestamp, text = line.split(' ', 2)
        entry = json.loads(text)
        check(len(timestamp) == 14 and timestamp.isdigit(), f'{name}: timestamp {timestamp}')
        fields, payload = warc_record(warc[entry['offset']:entry['offset'] + entry['length']])
        url = entry['url']
        check(fields['WARC-Target-URI'] == url, f'{name}: the record at {entry["offset"]} is {url}')
        check(fields['WARC-Payload-Digest'] == entry['digest'] == sha256(payload), f'{name}: digest of {url}')
        check(surt == surt.lower() and ')' in surt and '://' not in surt, f'{name}: key {surt}')
        indexed[url] = entry
    whole = {url for url, row in report.items() if row['state'] == 'ok'}
    check(set(indexed) == whole, f'{name}: indexed {len(indexed)} URLs, the report {len(whole)} whole entries')

    pages = [json.loads(line) for line in data['pages/pages.jsonl'].decode().splitlines()]
    check(pages[0].get('format') == 'json-pages-1.0', f'{name}: pages header')
    html = {url for url, entry in indexed.items()
            if entry['mime'] == 'text/html' and entry.get('status', '200') == '200'}
    check({page['url'] for page in pages[1:]} == html, f'{name}: the pages are the HTML pages')
    return len(indexed), len(pages) - 1


def report_rows(cache):
    run = cli(cache, 'report', '--format', 'jsonl')
    return {row['url']: row for row in map(json.loads, run.stdout.splitlines())}


def main():
    with tempfile.TemporaryDirectory() as work:
        work = pathlib.Path(work)
        subprocess.run([DEMO_MAKER, CLI, str(work / 'demo')], check=True, capture_output=True)
        caches = [('demo', work / 'demo')]
        caches += [(name, TESTDATA / name) for name in ('chromium-blockfile', 'firefox-cache2')
                   if (TESTDATA / name).exists()]
        for name, cache in caches:
            out = work / f'{name}.wacz'
            run = cli(cache, 'export', '--wacz', str(out))
            if check(run.returncode in (0, 1) and out.exists(), f'{name}: exit {run.returncode}: {run.stderr}'):
                records, pages = check_wacz(name, out, report_rows(cache))
                print(f'{name}: {records} records, {pages} pages')
            check(not list(work.glob(f'{name}.wacz.parts-*')), f'{name}: the parts folder is removed')

        # A folder that is not there: an error naming the file, nothing made.
        missing = work / 'no-such-folder' / 'site.wacz'
        run = cli(work / 'demo', 'export', '--wacz', str(missing))
        check(run.returncode == 1 and str(missing) in run.stderr, f'unwritable: exit {run.returncode}: {run.stderr}')
        check(not missing.parent.exists(), 'unwritable: nothing made')
    for failure in failures:
        print('FAILED:', failure)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
