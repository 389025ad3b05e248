#!/usr/bin/env python3
"""The English texts say what the program's own say: every translation is
there and holds no Japanese, keeps each %N of its source (the program fills
them all in), and keeps a keyboard accelerator where the source has one."""
import re
import sys
import xml.etree.ElementTree as ET

JAPANESE = re.compile('[\u3000-\u30ff\u4e00-\u9fff\uff00-\uffef]')
PLACEHOLDER = re.compile(r'%(\d|n)')


def faults(path):
    found = []
    for context in ET.parse(path).getroot().iter('context'):
        name = context.findtext('name')
        for message in context.iter('message'):
            source = message.findtext('source') or ''
            translation = message.find('translation')
            forms = [f.text or '' for f in translation.iter('numerusform')] or [translation.text or '']
            where = f'{name}: {source!r}'
            if translation.get('type') in ('unfinished', 'vanished', 'obsolete') or not all(forms):
                found.append(f'{where}: not translated')
            for text in forms:
                if JAPANESE.search(text):
                    found.append(f'{where}: {text!r} holds Japanese')
                if not set(PLACEHOLDER.findall(source)) <= set(PLACEHOLDER.findall(text)):
                    found.append(f'{where}: {text!r} drops a placeholder')
                if '&' in source.replace('&&', '') and '&' not in text.replace('&&', ''):
                    found.append(f'{where}: {text!r} lost its accelerator')
    return found


def main():
    found = faults(sys.argv[1])
    for fault in found:
        print(fault)
    print(f'{len(found)} faults in {sys.argv[1]}')
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
