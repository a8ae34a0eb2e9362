"""What a screen reader sees of the window, through AT-SPI: the grid as a
table named "Журнал ЭКЛЗ" with its rows, columns, cell texts and column
headers, and the two text boxes under their Russian names."""
import sys
import time

import pyatspi

expected_rows, expected_cols, first_owner = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]


def find_app():
    deadline = time.time() + 20
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "palomet":
                return app
        time.sleep(0.5)
    sys.exit("FAILED: the program is not on the accessibility bus")


def nodes(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None and child.getRoleName() != "table cell":
            yield from nodes(child)


found = {(n.getRoleName(), n.name): n for n in nodes(find_app())}
for role, name in [("text", "Строка ввода"), ("text", "Правка ячейки"), ("table", "Журнал ЭКЛЗ")]:
    if (role, name) not in found:
        sys.exit(f"FAILED: no {role} named {name!r}; seen: {sorted(found)}")
table = found[("table", "Журнал ЭКЛЗ")].queryTable()
checks = [
    (table.nRows, expected_rows, "rows"),
    (table.nColumns, expected_cols, "columns"),
    (table.getAccessibleAt(0, 6).name, first_owner, "the first entry's owner"),
    (table.getColumnDescription(6), "Владелец", "the owner column's header"),
    (table.getAccessibleAt(0, 6).getRoleName(), "table cell", "a cell's role"),
]
for got, want, what in checks:
    if got != want:
        sys.exit(f"FAILED: {what}: {got!r}, expected {want!r}")
print("AT-SPI: a table of %d rows and %d columns, its cells and headers, and the named text boxes" %
      (table.nRows, table.nColumns))
