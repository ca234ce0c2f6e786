#!/usr/bin/env python3
"""The desktop client as a screen reader sees it, over AT-SPI.

screen_reader_check.py CLIENT FAKE_SERVER

Starts its own D-Bus session (dbus-run-session), an X server (Xvfb), the
fake server and the client, turns accessibility on as a screen reader does
(org.a11y.Status IsEnabled), then reads the login and main windows from the
accessibility bus: every visible control has a name, the frame's caption
buttons and tabs are there with their roles, and pressing them does what a
click does (the help button opens the account service, a tab is selected,
the close button asks and the client ends). Everything it started is ended
on the way out; an overall alarm ends a run that hangs.
"""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

OVERALL_SECONDS = 240
WAIT_SECONDS = 45

# AT-SPI roles a member acts on: each needs a name.
INTERACTIVE = {
    "push button", "toggle button", "check box", "radio button", "text", "password text",
    "entry", "combo box", "spin button", "slider", "link", "page tab", "table", "list",
    "tree", "tree table", "menu item", "scroll bar",
}
# Roles whose children are content (rows, cells, a web page), not controls.
CONTENT = {"table", "list", "tree", "tree table", "document web", "document frame"}


class Failure(Exception):
    pass


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    missing = missing_tools()
    if missing:
        print(f"SKIPPED: {missing} not installed (at-spi2-core, python3-pyatspi, dbus, xvfb)")
        return 0
    if os.environ.get("LANZHOU_ATSPI_SESSION") != "1":
        # A D-Bus session of its own, ended with this run.
        env = dict(os.environ, LANZHOU_ATSPI_SESSION="1")
        try:
            return subprocess.run(["dbus-run-session", "--", sys.executable] + sys.argv,
                                  env=env, timeout=OVERALL_SECONDS + 30).returncode
        except subprocess.TimeoutExpired:
            print("FAIL: the check did not end in time", file=sys.stderr)
            return 1
    signal.signal(signal.SIGALRM, on_alarm)
    signal.alarm(OVERALL_SECONDS)
    processes = []
    try:
        with tempfile.TemporaryDirectory(prefix="lanzhou-atspi-") as run_dir:
            check(sys.argv[1], sys.argv[2], run_dir, processes)
        print("PASS")
        return 0
    except Failure as failure:
        print(f"FAIL: {failure}", file=sys.stderr)
        return 1
    finally:
        signal.alarm(0)
        for process in reversed(processes):
            end(process)


def missing_tools():
    for tool in ("dbus-run-session", "Xvfb"):
        if not shutil.which(tool):
            return tool
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        return "pyatspi"
    return None


def on_alarm(*_):
    raise Failure(f"no end after {OVERALL_SECONDS} s")


def end(process):
    if process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def wait_for(what, condition, seconds=WAIT_SECONDS):
    deadline = time.monotonic() + seconds
    while True:
        try:
            value = condition()
        except Exception:  # an object that went away while it was read
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"no {what} after {seconds} s")
        time.sleep(0.2)


def start_x_server(processes):
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
                             "-nolisten", "tcp"], pass_fds=(write_end,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    processes.append(xvfb)
    os.close(write_end)
    with os.fdopen(read_end) as reader:
        number = reader.readline().strip()
    if not number:
        raise Failure("Xvfb did not start")
    return ":" + number


def start_fake_server(path, processes):
    server = subprocess.Popen([path], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    processes.append(server)
    line = server.stdout.readline()
    try:
        return json.loads(line)["port"]
    except (ValueError, KeyError):
        raise Failure(f"the fake server said {line!r}")


def enable_accessibility():
    """What a screen reader does when it starts: org.a11y.Status IsEnabled."""
    from gi.repository import Gio, GLib
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled", GLib.Variant("b", True))),
                  None, Gio.DBusCallFlags.NONE, 10000, None)


# ---- reading the tree

def children(element):
    return [element.getChildAtIndex(i) for i in range(element.childCount)]


def states(element):
    import pyatspi
    return {pyatspi.stateToString(s) for s in element.getState().getStates()}


def visible(element):
    return "visible" in states(element) and "showing" in states(element)


def window_named(app, name):
    for window in children(app):
        if window is not None and window.name == name and visible(window):
            return window
    return None


def find(element, role, name):
    """The visible descendant with this role and name (breadth first)."""
    queue = [element]
    while queue:
        current = queue.pop(0)
        if current is None:
            continue
        if current.getRoleName() == role and current.name == name and visible(current):
            return current
        if current.getRoleName() not in CONTENT:
            queue.extend(children(current))
    return None


def unnamed_controls(element, path=""):
    found = []
    if element is None or not visible(element):
        return found
    role = element.getRoleName()
    here = f"{path}/{role}:{element.name}"
    if role in INTERACTIVE and not (element.name or "").strip():
        found.append(here)
    if role not in CONTENT:
        for child in children(element):
            found.extend(unnamed_controls(child, here))
    return found


def press(element):
    action = element.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() == "press":
            action.doAction(i)
            return
    raise Failure(f"{element.getRoleName()} {element.name} has no press action")


def expect(window, role, names):
    for name in names:
        element = wait_for(f"{role} {name!r} in {window.name!r}", lambda: find(window, role, name))
        extents = element.queryComponent().getExtents(0)
        if extents.width <= 0 or extents.height <= 0:
            raise Failure(f"{role} {name!r} has no area on the screen")


def expect_all_named(window):
    unnamed = unnamed_controls(window)
    if unnamed:
        raise Failure(f"{window.name!r} leaves unnamed: " + ", ".join(unnamed))


# ---- the run

def check(client_path, server_path, run_dir, processes):
    display = start_x_server(processes)
    port = start_fake_server(server_path, processes)
    enable_accessibility()
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               QTWEBENGINE_DISABLE_SANDBOX="1", QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu",
               SDL_AUDIODRIVER="dummy")
    env.pop("QT_ACCESSIBILITY", None)
    env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
    client = subprocess.Popen([client_path, "--server", f"127.0.0.1:{port}", "--run-dir", run_dir],
                              env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    processes.append(client)

    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    app = wait_for("client on the accessibility bus",
                   lambda: next((a for a in children(desktop)
                                 if a is not None and a.name == "lanzhou"), None))
    title = "澜舟演示"  # the fake server's product title

    # The login window: its controls named, the frame's buttons and status bar there.
    login = wait_for("login window", lambda: window_named(app, title))
    expect(login, "push button", ["帮助", "主菜单", "最小化", "关闭", "登陆", "QQ客服"])
    expect(login, "text", ["账号"])
    expect(login, "password text", ["密码"])
    expect(login, "check box", ["记住密码"])
    expect(login, "link", ["注册账号", "账号充值"])
    status = wait_for("status bar", lambda: next(
        (c for c in children(login) if c.getRoleName() == "status bar"), None))
    if "通道" not in status.name:
        raise Failure(f"the status bar reads {status.name!r}, not the line in use")
    expect_all_named(login)

    # The help caption button opens the account service; its close button closes it.
    press(find(login, "push button", "帮助"))
    service = wait_for("account service window", lambda: window_named(app, "账号服务"))
    expect(service, "page tab", ["修改密码", "密码找回"])
    expect_all_named(service)
    press(find(service, "push button", "关闭"))
    wait_for("account service window closed", lambda: window_named(app, "账号服务") is None)

    # Log in as the member would with a screen reader: type, press.
    find(login, "text", "账号").queryEditableText().setTextContents("demo")
    find(login, "password text", "密码").queryEditableText().setTextContents("demo")
    press(find(login, "push button", "登陆"))

    main_window = wait_for("main window", lambda: next(
        (w for w in children(app)
         if w is not None and w.name == title and visible(w) and find(w, "page tab", "股票预警")),
        None))
    expect_all_named(main_window)
    expect(main_window, "push button", ["帮助", "主菜单", "最小化", "最大化", "关闭"])
    expect(main_window, "page tab", ["股票预警", "公司简介", "市场行情"])
    expect(main_window, "table", ["今日强势股票跟踪", "历史数据跟踪"])

    # A tab pressed is selected; the close button asks, and "确定" ends the client.
    tab = find(main_window, "page tab", "公司简介")
    press(tab)
    wait_for("the pressed tab selected", lambda: "selected" in states(tab))
    press(find(main_window, "push button", "关闭"))
    confirm = wait_for("close confirmation", lambda: window_named(app, "提示："))
    press(wait_for("its 确定 button", lambda: find(confirm, "push button", "确定")))
    try:
        code = client.wait(timeout=WAIT_SECONDS)
    except subprocess.TimeoutExpired:
        raise Failure("the client did not end after the confirmed close")
    if code != 0:
        raise Failure(f"the client ended with status {code}")


if __name__ == "__main__":
    sys.exit(main())
