"""Prints what the running Vaskel shows to a screen reader, one line per accessible object:
window title, role, name and text, separated by tabs (line breaks in a text as \\n).
With a title, only that window is read.

The end-to-end test reads the windows through this, as assistive technology would."""

import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def clean(s):
    return (s or "").replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def text_of(obj):
    try:
        if "Text" not in obj.get_interfaces():
            return ""
        return Atspi.Text.get_text(obj, 0, Atspi.Text.get_character_count(obj))
    except Exception:
        return ""


def walk(obj, title, out, depth=0):
    # A window closing while it is read takes its objects with it: what is gone is skipped.
    try:
        role = obj.get_role_name()
        name = obj.get_name()
        count = obj.get_child_count()
    except Exception:
        return
    if depth == 0:
        title = name
    out.append("\t".join(clean(v) for v in (title, role, name, text_of(obj))))
    for i in range(count):
        try:
            child = obj.get_child_at_index(i)
        except Exception:
            continue
        if child is not None:
            walk(child, title, out, depth + 1)


def main():
    app_name = "Vaskel"
    only = sys.argv[1] if len(sys.argv) > 1 else None
    desktop = Atspi.get_desktop(0)
    out = []
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        try:
            if app is None or app.get_name() != app_name:
                continue
            for j in range(app.get_child_count()):
                window = app.get_child_at_index(j)
                if only is None or window.get_name() == only:
                    walk(window, "", out)
        except Exception:
            continue
    sys.stdout.write("".join(line + "\n" for line in out))


if __name__ == "__main__":
    main()
