"""The workflows a planner runs on the desktop, each from the login to a stored result."""

import os
import traceback

import pyatspi

import screenshot
from desktop import Session, find_all, log, name, role, wait, write_tree

MAIN_WINDOW = "生产制造管理 - 自行车厂"


def login(session, password):
    session.window("登录 - 生产制造")
    session.click_into(session.control("登录 - 生产制造", ("password text",), "口令:"))
    session.type(password)
    session.key("Return")
    # The administrator works in several branches: the first press shows them, the next logs in.
    session.control("登录 - 生产制造", ("label",), "请选择分支机构后再按登录。")
    session.key("Return")
    session.gone("登录 - 生产制造")


def message(session):
    """The message box on top: its window and its text."""
    def probe():
        for box in find_all(session.app(), ("alert",)):
            texts = [name(label) for label in find_all(box, ("label",)) if name(label)]
            if find_all(box, ("push button",)) and texts:
                return box, " ".join(texts)
        return None

    return wait("a message box", probe)


def dismiss(session, expected_text, button="确定"):
    """Waits for a message box saying `expected_text` and answers it by clicking `button`."""
    box, text = message(session)
    if expected_text not in text:
        raise AssertionError(f"the message says {text!r}, not {expected_text!r}")
    session.click(session.control(name(box), ("push button",), button))
    wait("the message box to close", lambda: not any(
        expected_text in " ".join(name(label) for label in find_all(box, ("label",)))
        for box in find_all(session.app(), ("alert",))))
    return text


BOM_LINES = [("1008", "2"), ("1009", "1"), ("1013", "4")]
SUBSTITUTES = [("1002", "1"), ("1003", "0.5")]


def same_number(shown, typed):
    try:
        return float(shown.replace(",", "")) == float(typed)
    except ValueError:
        return False


def type_rows(session, window_title, grid, code_column, number_column, rows):
    """Types each (code, number) into a new row of the grid: Down past the last row starts it."""
    for code, number in rows:
        count = grid.rows()
        session.key("Down")
        wait("a new row", lambda: grid.rows() == count + 1)
        row = session.press_until_column(window_title, grid, code_column)
        session.type(code)
        session.key("Return")
        wait(f"{code} in row {row + 1}", lambda: grid.text(row, code_column) == code)
        session.press_until_column(window_title, grid, number_column)
        session.type(number)
        session.key("Return")
        wait(f"{number_column} {number} in row {row + 1}", lambda: same_number(grid.text(row, number_column), number))


def bom(session):
    """A BOM of three lines and two substitutes, typed by keyboard alone, saved and opened again.

    The setup left 2007 (车轮组件) without a BOM."""
    browser, editor, substitutes = "产品结构清单", "物料清单维护", "替代品设置"
    session.click_into(session.control(browser, ("text",), "产品编码："))
    session.type("2007")
    session.key("Return")
    session.control(browser, ("label",), "车轮组件")
    session.key("alt+e")
    session.window(editor)

    session.press_until(editor, "Tab", lambda node: role(node) == "table" and name(node) == "子件")
    grid = session.table(editor, "子件")
    type_rows(session, editor, grid, "子件编码", "数量", BOM_LINES)

    session.key("Up", "Up")
    wait("the cursor on line 1", lambda: (grid.current() or (None,))[0] == 0)
    session.press_until_column(editor, grid, "替代品")
    session.key("ctrl+Return")
    session.window(substitutes)
    session.press_until(substitutes, "Tab", lambda node: role(node) == "table")
    type_rows(session, substitutes, session.table(substitutes), "替代品编号", "代替比率", SUBSTITUTES)
    session.key("alt+o")
    session.gone(substitutes)
    wait("the substitutes named in line 1", lambda: grid.text(0, "替代品") != "")
    session.key("alt+a")
    session.gone(editor)

    # Opened again, the BOM shows what was typed.
    session.key("alt+e")
    session.window(editor)
    grid = session.table(editor, "子件")
    wait("the saved lines", lambda: grid.column_texts("子件编码") == [code for code, _ in BOM_LINES])
    if not all(map(same_number, grid.column_texts("数量"), [quantity for _, quantity in BOM_LINES])):
        raise AssertionError(f"quantities {grid.column_texts('数量')}")
    log(f"substitutes of line 1: {grid.text(0, '替代品')}")
    session.key("Escape")
    session.gone(editor)


HOLIDAYS = [("12", "8"), ("12", "15"), ("12", "22")]


def calendar(session):
    """The quick setting of the calendar's last month, December 2028, with three holidays typed
    into new rows, the second first typed with a slip that is refused and then typed right."""
    screen, setting = "工厂日历", "工厂日历 - 快速设置"
    session.window(screen)
    session.click_button(screen, "快速设置")
    session.window(setting)
    for label, date in (("起始日期", "2028-12-01"), ("终止日期", "2028-12-31")):
        session.click_into(session.control(setting, ("spin button",), label))
        session.key("ctrl+a")
        session.type(date)
    grid = session.table(setting, "节假日：")
    session.click(grid.cell(grid.rows() - 1, "月"))
    for index, (month, day) in enumerate(HOLIDAYS):
        rows = grid.rows()
        session.key("Down")
        wait("a new holiday row", lambda: grid.rows() == rows + 1)
        row = session.press_until_column(setting, grid, "月", key="shift+Tab")
        if index == 1:
            session.type("1,5")
            session.key("Tab")
            dismiss(session, "月")
            wait("the refused month to be gone", lambda: grid.text(row, "月") in ("", "0"))
            session.key("ctrl+a")
        session.type(month)
        session.key("Tab")
        session.type(day)
        session.key("Return")
        wait(f"holiday {month}-{day}", lambda: (grid.text(row, "月"), grid.text(row, "日")) == (month, day))
    session.click_button(setting, "确定(A)")
    session.gone(setting)


def sorder_to_mps(session):
    """Every listed sales order line to the schedule, the completion date of the second edited."""
    screen = "销售订单直接转入主生产计划"
    session.window(screen)
    grid = session.table(screen)
    wait("the open order lines", lambda: grid.rows() >= 2)
    session.click_button(screen, "全选")
    wait("every line ticked", lambda: all(grid.checked(row, "选择") for row in range(grid.rows())))
    session.open_cell(grid, 1, "完工日期")
    session.key("ctrl+a")
    session.type("2026-12-28")
    session.key("Return")
    wait("the edited date", lambda: grid.text(1, "完工日期") == "2026-12-28")
    session.click_button(screen, "转入主生产计划")
    dismiss(session, "")
    session.gone(screen)


def workbench(session):
    """MRP over every schedule line; one manufacture and one purchase suggestion released."""
    screen = "MRP II 运算"
    session.window(screen)
    session.click_button(screen, "选择主生产计划单...")
    plans = "选择主生产计划单"
    session.window(plans)
    session.click_button(plans, "全选")
    session.click_button(plans, "确定")
    session.gone(plans)
    demand = session.table(screen, "生产计划")
    wait("the schedule lines as demand", lambda: demand.rows() > 0)
    session.click_button(screen, "计算")
    dismiss(session, "计算完成")
    for page, button in (("生产建议", "对选中的建议下达生产加工单"), ("采购建议", "对选中的建议下达采购订单")):
        session.click(session.control(screen, ("page tab",), page))
        grid = session.table(screen, page)
        wait(f"the suggestions on {page}", lambda: grid.rows() > 0)
        session.click_button(screen, "全清")
        wait(f"no suggestion on {page} ticked", lambda: not any(grid.checked(row, "选择") for row in range(grid.rows())))
        session.click(grid.cell(0, "选择"))
        wait(f"the first suggestion on {page} ticked", lambda: grid.checked(0, "选择"))
        if any(grid.checked(row, "选择") for row in range(1, grid.rows())):
            raise AssertionError(f"a click ticked more than one suggestion on {page}")
        session.click_button(screen, button)
        if page == "生产建议":
            release = "确定执行主生产计划  -- 下达生产加工单"
            session.click_button(release, "确定执行")
            session.gone(release)
        wait(f"the release recorded on {page}", lambda: grid.text(0, "已下达") != "")
        log(f"{page}: released {grid.text(0, '已下达')}")


def cost_capacity(session):
    """The cost budget and the capacity screens open at their default size inside the desktop."""
    # The sizes the two screens open at unless their user left them at others.
    for title, default_size in (("产品成本预算", (1300, 600)), ("粗能力计算", (1340, 620))):
        session.click_button(MAIN_WINDOW, title)
        window = session.window(title, ("frame",))
        box = window.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        log(f"{title}: {box.width}x{box.height} at {box.x},{box.y}")
        if box.width < default_size[0] or box.height < default_size[1]:
            raise AssertionError(f"{title} opened at {box.width}x{box.height}, smaller than {default_size}")
        if box.x < 0 or box.y < 0 or box.x + box.width > 1366 or box.y + box.height > 768:
            raise AssertionError(f"{title} lies outside the 1366×768 screen: {box}")


WORKFLOWS = {
    "bom": ("GoodsBomForm", bom),
    "calendar": ("WorkCalendarForm", calendar),
    "sorder_to_mps": ("SORDERTOMPS", sorder_to_mps),
    "workbench": ("RUNMRP", workbench),
    "cost_capacity": (None, cost_capacity),
}


def drive(workflow, desktop, database, today, user, password):
    open_name, run = WORKFLOWS[workflow]
    session = Session(os.path.dirname(database))
    try:
        session.start(desktop, database, today, open_name)
        login(session, password)
        run(session)
        if not session.alive():
            log(f"{workflow}: mfg-desktop ended")
            return 1
        log(f"{workflow}: done, mfg-desktop still running")
        return 0
    except Exception:
        traceback.print_exc()
        try:
            screenshot.save(session.display, os.path.join(os.path.dirname(database), "screen.png"))
            with open(os.path.join(os.path.dirname(database), "tree.txt"), "w", encoding="utf-8") as out:
                write_tree(session.app(), out)
        except Exception:
            traceback.print_exc()
        return 1
    finally:
        session.stop()
