#!/usr/bin/python3
"""Runs one workflow of the real desktop on a copy of the demo database and checks what it stored.

    run.py WORKFLOW --desktop mfg-desktop --mfg mfg [--rewrite]

The workflow runs in a folder of its own (HOME, XDG_* and TMPDIR inside it, so that remembered
logins, layouts and settings never leak between runs) under a D-Bus session of its own. After it,
the program must still be running, and what it changed in the database (every table but the
operation log and the operator's login columns) must equal tests/e2e/expected/WORKFLOW.txt.
`--rewrite` (or MFG_E2E_REWRITE=1) writes that file from this run instead: review the change.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import dump  # noqa: E402

TODAY = "2026-12-07"
USER = "admin"
PASSWORD = "E2e#pass1"
# The Argon2id hash of PASSWORD: the demo's administrator has no password yet, and the first login
# would store one under a fresh salt, a change of its own in every run.
PASSWORD_HASH = "$argon2id$v=19$m=65536,t=2,p=1$ZcM/ibnyROyfzJ44DSB6fw$/uK71YBeKUemLWBl+/8ePArS0aNryZxe9pRV5qrQ9Sw"
# What a workflow starts from beyond the demo: 2007 (车轮组件) without a BOM, for one to be typed.
SETUP = {
    "bom": ["delete from L_GoodsBomsub where GoodsID = 17", "delete from L_GoodsBomProc where GoodsID = 17",
            "delete from L_GoodsBom where GoodsID = 17"],
}


def prepare(work, mfg, workflow):
    for folder in ("home", "config", "data", "cache", "state", "runtime", "tmp"):
        os.makedirs(os.path.join(work, folder), mode=0o700)
    environment = dict(
        os.environ,
        HOME=os.path.join(work, "home"),
        XDG_CONFIG_HOME=os.path.join(work, "config"),
        XDG_DATA_HOME=os.path.join(work, "data"),
        XDG_CACHE_HOME=os.path.join(work, "cache"),
        XDG_STATE_HOME=os.path.join(work, "state"),
        XDG_RUNTIME_DIR=os.path.join(work, "runtime"),
        TMPDIR=os.path.join(work, "tmp"),
    )
    for variable in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "MFG_DB",
                     "MFG_PASSWORD", "QT_QPA_PLATFORM"):
        environment.pop(variable, None)
    database = os.path.join(work, "demo.db")

    def run(*arguments):
        done = subprocess.run([mfg, "--db", database, *arguments], env=environment, capture_output=True, text=True)
        if done.returncode != 0:
            raise RuntimeError(f"mfg {' '.join(arguments)}: {done.stderr}")

    run("--today", TODAY, "init", "--demo")
    for statement in SETUP.get(workflow, []):
        run("sql", statement)
    run("sql", f"update m_operator set PasswordHash = '{PASSWORD_HASH}' where Code = '{USER}'")
    return environment, database


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("workflow")
    parser.add_argument("--desktop", required=True)
    parser.add_argument("--mfg", required=True)
    parser.add_argument("--rewrite", action="store_true", default=os.environ.get("MFG_E2E_REWRITE") == "1")
    parser.add_argument("--inside", help=argparse.SUPPRESS)
    arguments = parser.parse_args()
    arguments.desktop, arguments.mfg = os.path.abspath(arguments.desktop), os.path.abspath(arguments.mfg)
    if arguments.inside:
        import workflows
        return workflows.drive(arguments.workflow, arguments.desktop, arguments.inside, TODAY, USER, PASSWORD)

    work = tempfile.mkdtemp(prefix=f"mfg-e2e-{arguments.workflow}-")
    environment, database = prepare(work, arguments.mfg, arguments.workflow)
    before = dump.dump(database)
    inside = subprocess.run(
        ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), arguments.workflow,
         "--desktop", arguments.desktop, "--mfg", arguments.mfg, "--inside", database],
        env=environment, cwd=work)
    if inside.returncode != 0:
        print(f"{arguments.workflow}: the workflow failed; its logs, the accessibility tree and a picture of the "
              f"screen are in {work}")
        return 1
    changed = dump.changes(before, dump.dump(database))
    expected_file = os.path.join(HERE, "expected", arguments.workflow + ".txt")
    if arguments.rewrite:
        with open(expected_file, "w", encoding="utf-8") as out:
            out.write("".join(line + "\n" for line in changed))
        print(f"{arguments.workflow}: wrote {expected_file} ({len(changed)} lines)")
    elif not os.path.exists(expected_file):
        print(f"{arguments.workflow}: no {expected_file} yet; write it with --rewrite and review it")
        return 1
    else:
        with open(expected_file, encoding="utf-8") as expected:
            wanted = expected.read().splitlines()
        if changed != wanted:
            import difflib
            print(f"{arguments.workflow}: the database differs from {expected_file} (- expected, + stored):")
            sys.stdout.writelines(line + "\n" for line in difflib.unified_diff(wanted, changed, lineterm="", n=1))
            print(f"logs and database in {work}")
            return 1
    shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
