#!/usr/bin/python3
"""Reads an iCalendar file with python3-icalendar, a parser independent of ours, and prints
one JSON object per component: what a test compares with what it exported."""
import json
import sys

from icalendar import Calendar


def text(component, name):
    value = component.get(name)
    return None if value is None else str(value)


def main():
    with open(sys.argv[1], 'rb') as f:
        data = f.read()
    calendar = Calendar.from_ical(data)
    print(json.dumps({'VERSION': text(calendar, 'VERSION'), 'PRODID': text(calendar, 'PRODID'),
                      'longest_line': max(len(line) for line in data.split(b'\r\n'))}))
    for c in calendar.subcomponents:
        start = c.get('DTSTART')
        end = c.get('DTEND')
        rrule = c.get('RRULE')
        categories = c.get('CATEGORIES')
        print(json.dumps({
            'kind': c.name,
            'uid': text(c, 'UID'),
            'stamp': bool(c.get('DTSTAMP')),
            'start': start.dt.isoformat() if start else None,
            'end': end.dt.isoformat() if end else None,
            'summary': text(c, 'SUMMARY'),
            'description': text(c, 'DESCRIPTION'),
            'rrule': rrule.to_ical().decode() if rrule else None,
            'transp': text(c, 'TRANSP'),
            'categories': categories.to_ical().decode() if categories else None,
        }, ensure_ascii=False, sort_keys=True))


if __name__ == '__main__':
    main()
