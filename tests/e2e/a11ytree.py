#!/usr/bin/python3
"""What an assistive tool meets in a running program, through the
accessibility bus (pyatspi, a module of the system Python).

  a11ytree.py tree PROGRAM            the program's windows as JSON: every
                                      node with its role, name, states and
                                      actions, and per window the count of
                                      nodes and of hidden nodes that offer an
                                      action and are enabled (outside menus)
  a11ytree.py do PROGRAM WINDOW NAME ACTION
                                      runs ACTION (its name, as "Press" or
                                      "Toggle") on the node called NAME in
                                      the window titled WINDOW

Exit status 0 on success, 1 when the program, the window, the node or the
action is not found, with the reason on standard error.
"""
import json
import sys

import pyatspi


def program(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == name:
            return app
    raise LookupError("no program %r on the accessibility bus (%s)" % (
        name, ", ".join(a.name for a in desktop if a is not None)))


def states(node):
    s = node.getState()
    return [n for n, st in (("showing", pyatspi.STATE_SHOWING),
                            ("visible", pyatspi.STATE_VISIBLE),
                            ("enabled", pyatspi.STATE_ENABLED),
                            ("checked", pyatspi.STATE_CHECKED),
                            ("focused", pyatspi.STATE_FOCUSED)) if s.contains(st)]


def actions(node):
    try:
        a = node.queryAction()
    except NotImplementedError:
        return []
    return [a.getName(i) for i in range(a.nActions)]


def describe(node, depth, out, in_menu=False):
    entry = {"depth": depth, "role": node.getRoleName(), "name": node.name,
             "states": states(node), "actions": actions(node), "inMenu": in_menu}
    try:
        text = node.queryText()
        entry["text"] = text.getText(0, text.characterCount)
    except NotImplementedError:
        pass
    out.append(entry)
    for child in node:
        if child is not None:
            describe(child, depth + 1, out, in_menu or entry["role"] == "popup menu")


def tree(name):
    windows = []
    for window in program(name):
        nodes = []
        describe(window, 0, nodes)
        # A closed menu's items are hidden and pressable by design.
        hidden = [n for n in nodes if n["actions"] and "enabled" in n["states"]
                  and "showing" not in n["states"] and not n["inMenu"]]
        windows.append({"title": window.name, "nodes": nodes, "count": len(nodes),
                        "pressableHidden": len(hidden)})
    json.dump(windows, sys.stdout, indent=1)
    print()


def find(node, name):
    if node.name == name:
        return node
    for child in node:
        if child is None:
            continue
        found = find(child, name)
        if found is not None:
            return found
    return None


def do(name, title, node_name, action):
    for window in program(name):
        if window.name != title:
            continue
        node = find(window, node_name)
        if node is None:
            raise LookupError("no node %r in %r" % (node_name, title))
        a = node.queryAction()
        for i in range(a.nActions):
            if a.getName(i) == action:
                a.doAction(i)
                return
        raise LookupError("%r offers no %r, only %s" % (node_name, action, actions(node)))
    raise LookupError("no window %r" % title)


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "tree":
            tree(argv[2])
        elif len(argv) == 6 and argv[1] == "do":
            do(*argv[2:])
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except (LookupError, NotImplementedError) as e:
        print(e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
