#!/usr/bin/python3
"""The second device of the sync tests: an independent CalDAV client (python3-caldav).

  list   URL USER PASS              every item of the collection as JSON
  put    URL USER PASS FILE         adds the .ics file's item, or replaces the one with its UID
  edit   URL USER PASS UID FIELD VALUE   sets one property (summary, description, dtstart ...)
  delete URL USER PASS UID
Each prints JSON; a failure ends with a message on stderr and exit status 1.
"""
import datetime
import json
import logging
import sys

import caldav
import icalendar
from caldav.lib.error import NotFoundError


# The library warns on every search it has to retry by component; failures still raise.
logging.disable(logging.WARNING)


def calendar(url, user, password):
    client = caldav.DAVClient(url, username=user or None, password=password or None)
    return caldav.Calendar(client=client, url=url)


def first(cal):
    return next(c for c in cal.walk() if c.name in ("VEVENT", "VJOURNAL", "VTODO"))


def component(obj):
    return first(icalendar.Calendar.from_ical(obj.data))


def when(comp, name):
    if name not in comp:
        return None
    value = comp[name].dt
    return value.isoformat()  # a date-time carries its offset when it has a zone


def describe(obj):
    comp = component(obj)
    rrule = comp.get("RRULE")
    return {
        "href": str(obj.url),
        "etag": obj.props.get("{DAV:}getetag"),
        "uid": str(comp.get("UID", "")),
        "kind": comp.name,
        "dtstart": when(comp, "DTSTART"),
        "dtend": when(comp, "DTEND"),
        "summary": str(comp.get("SUMMARY", "")),
        "description": str(comp.get("DESCRIPTION", "")),
        "rrule": rrule.to_ical().decode() if rrule else None,
    }


def objects(cal):
    # A server may list deleted items with the full listing; they come back without data.
    return [o for o in cal.objects(load_objects=True) if o.data]


def by_uid(cal, uid):
    try:
        return cal.object_by_uid(uid).load()
    except NotFoundError:
        sys.exit("no item with UID " + uid)


def main(argv):
    command, url, user, password, *rest = argv
    cal = calendar(url, user, password)
    if command == "list":
        result = sorted((describe(o) for o in objects(cal)), key=lambda d: d["uid"])
    elif command == "put":
        with open(rest[0], "rb") as f:
            data = f.read().decode("utf-8")
        comp = first(icalendar.Calendar.from_ical(data))
        uid = str(comp.get("UID", ""))
        try:
            existing = cal.object_by_uid(uid)
        except NotFoundError:
            existing = None
        if existing:
            existing.data = data
            existing.save()
        elif comp.name == "VJOURNAL":
            cal.save_journal(data)
        else:
            cal.save_event(data)
        result = describe(by_uid(cal, uid))
    elif command == "edit":
        uid, field, value = rest
        obj = by_uid(cal, uid)
        cal_data = icalendar.Calendar.from_ical(obj.data)
        comp = first(cal_data)
        comp.pop(field.upper(), None)
        if field.upper() in ("DTSTART", "DTEND"):
            comp.add(field, datetime.datetime.fromisoformat(value)
                     if "T" in value else datetime.date.fromisoformat(value))
        else:
            comp.add(field, value)
        obj.data = cal_data.to_ical().decode("utf-8")
        obj.save()
        result = describe(by_uid(cal, uid))
    elif command == "delete":
        by_uid(cal, rest[0]).delete()
        result = {"deleted": rest[0]}
    else:
        sys.exit("unknown command " + command)
    print(json.dumps(result, ensure_ascii=False))


if __name__ == "__main__":
    main(sys.argv[1:])
