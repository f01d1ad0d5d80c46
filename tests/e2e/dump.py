"""A text dump of a SQLite database as a workflow left it, to compare with the expected one.

Every table is dumped, its rows sorted, except what changes with every login and every action
whatever the workflow did: the operation log (`m_oplog` and its key) and the operator's login
columns.
"""

import sqlite3
from collections import Counter

LEFT_OUT_TABLES = {"m_oplog"}
LEFT_OUT_COLUMNS = {"m_operator": {"lastlogintime", "loginfailures"}}
# The key counter of the log moves with the log.
LEFT_OUT_KEYS = {"m_oplog"}
# When a row was written, checked or printed is the machine's clock, not the planner's day: only
# whether it is set counts.
CLOCK_COLUMNS = {"updatetime", "checktime", "createtime", "createdate", "lastprinttime"}


def text(value, is_date=False, is_clock=False):
    if is_clock and value is not None:
        return "<clock>"
    if is_date and isinstance(value, float):
        # Dates are day numbers; the time of day a row was written differs in every run.
        value = int(value)
    if value is None:
        return "NULL"
    if isinstance(value, float):
        return repr(round(value, 6))
    if isinstance(value, bytes):
        return value.hex()
    return str(value).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def dump(path):
    """Every table as {name: (columns, rows)}, a row being its values as text joined by tabs."""
    connection = sqlite3.connect(f"file:{path}?mode=ro", uri=True)
    try:
        tables = {}
        names = [row[0] for row in connection.execute(
            "select name from sqlite_master where type = 'table' and name not like 'sqlite%'")]
        for table in names:
            if table.lower() in LEFT_OUT_TABLES:
                continue
            left_out = LEFT_OUT_COLUMNS.get(table.lower(), set())
            described = [(row[1], "DATE" in row[2].upper()) for row in connection.execute(f'pragma table_info("{table}")')
                         if row[1].lower() not in left_out]
            columns = [column for column, _ in described]
            quoted = ", ".join(f'"{column}"' for column in columns)
            rows = ["\t".join(text(value, is_date, column.lower() in CLOCK_COLUMNS)
                              for value, (column, is_date) in zip(row, described))
                    for row in connection.execute(f'select {quoted} from "{table}"')]
            if table.lower() == "ag_keys":
                rows = [row for row in rows if row.split("\t")[0].lower() not in LEFT_OUT_KEYS]
            tables[table] = (columns, rows)
        return tables
    finally:
        connection.close()


def changes(before, after):
    """What a workflow changed, table by table: the rows it removed ("-") and added ("+")."""
    lines = []
    for table in sorted(set(before) | set(after), key=str.lower):
        columns, old_rows = before.get(table, ([], []))
        new_columns, new_rows = after.get(table, ([], []))
        removed = Counter(old_rows)
        removed.subtract(Counter(new_rows))
        changed = []
        for row, count in removed.items():
            changed += (["- " + row] * count) if count > 0 else (["+ " + row] * -count)
        if changed or columns != new_columns:
            lines.append(f"## {table}: " + "\t".join(new_columns or columns))
            lines += sorted(changed, key=lambda line: (line[2:], line[0]))
    return lines
