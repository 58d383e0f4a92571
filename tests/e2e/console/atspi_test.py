#!/usr/bin/python3
"""The real console as a Linux screen reader meets it: climate-console under Xvfb on a private
D-Bus session with its own accessibility bus, talking to climate-sim on a pseudo-terminal, read
through libatspi (the library screen readers use), not through Qt's own accessibility classes.

It finds the value boxes by their captions, an alarm lamp by its caption with its state in words,
the unit selector's two items as radio buttons, and hears the alarm lamp change after a reply
from the unit. Every process it starts runs in a process group of its own and is stopped at the
end; every wait has a deadline.

usage: atspi_test.py CLIMATE_CONSOLE CLIMATE_SIM CLIMATE_CONFIG
"""

import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import warnings

DEADLINE_S = 20.0
WHOLE_RUN_S = 60
POLL_S = 0.05
# Processes whose end fails the test at once instead of at the next deadline.
WATCHED = []


class Failure(Exception):
    pass


def expect(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, predicate, timeout=DEADLINE_S):
    """Polls predicate until it returns something true; that value, or Failure at the deadline."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        for name, process in WATCHED:
            if process.poll() is not None:
                raise Failure("%s ended (status %s) while waiting for %s"
                              % (name, process.returncode, what))
        if time.monotonic() > end:
            raise Failure("timed out waiting for " + what)
        pump(POLL_S)


def pump(seconds):
    """Runs the GLib main loop (where libatspi delivers events) for a short while."""
    if "gi.repository.GLib" not in sys.modules:
        time.sleep(seconds)
        return
    from gi.repository import GLib

    context = GLib.MainContext.default()
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if not context.iteration(False):
            time.sleep(0.005)


class Processes:
    """Everything started, each in a process group of its own, stopped in reverse order."""

    def __init__(self):
        self.started = []

    def start(self, args, **kwargs):
        process = subprocess.Popen(args, start_new_session=True, stdin=subprocess.DEVNULL, **kwargs)
        self.started.append(process)
        return process

    @staticmethod
    def _signal_group_and_wait(process, sig):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            pass
        try:
            process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass

    def stop(self, process):
        if process.poll() is None:
            self._signal_group_and_wait(process, signal.SIGTERM)
        # Whatever the leader left behind in its group (services the bus started) goes too.
        self._signal_group_and_wait(process, signal.SIGKILL)
        for stream in (process.stdout, process.stderr):
            if stream is not None:
                stream.close()

    def stop_all(self):
        for process in reversed(self.started):
            self.stop(process)
        self.started.clear()


def read_line(stream, what, timeout=DEADLINE_S):
    """One line from a child's pipe, with a deadline."""
    end = time.monotonic() + timeout
    data = b""
    fd = stream.fileno()
    while not data.endswith(b"\n"):
        left = end - time.monotonic()
        if left <= 0:
            raise Failure("timed out waiting for " + what)
        ready, _, _ = select.select([fd], [], [], left)
        if ready:
            chunk = os.read(fd, 1)
            if not chunk:
                raise Failure(what + ": the program ended first")
            data += chunk
    return data.decode().strip()


def start_sim(processes, sim, link, alarms):
    args = [sim, "--kind", "ac", "--link", link]
    for alarm in alarms:
        args += ["--alarm", alarm]
    process = processes.start(args, stdout=subprocess.PIPE)
    line = read_line(process.stdout, "the simulator")
    expect(line.startswith("climate-sim: serving"), "simulator said: " + line)
    return process


def give_up(signum, _frame):
    raise Failure("stopped by signal %d" % signum if signum != signal.SIGALRM
                  else "the whole check took longer than %d s" % WHOLE_RUN_S)


def main():
    console, sim, config = sys.argv[1:4]
    # A bound on the whole run, and a clean stop when the test runner ends it: either way the
    # processes started are stopped on the way out.
    signal.signal(signal.SIGALRM, give_up)
    signal.signal(signal.SIGTERM, give_up)
    signal.alarm(WHOLE_RUN_S)
    processes = Processes()
    folder = tempfile.mkdtemp(prefix="climate-atspi-")
    try:
        run(processes, folder, console, sim, config)
    finally:
        processes.stop_all()
        shutil.rmtree(folder, ignore_errors=True)


def run(processes, folder, console, sim, config):
    env = {k: v for k, v in os.environ.items() if not k.startswith(("AT_SPI_", "DBUS_", "QT_"))}
    env.pop("NO_AT_BRIDGE", None)
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    env["XDG_RUNTIME_DIR"] = os.path.join(folder, "runtime")
    os.mkdir(env["XDG_RUNTIME_DIR"], 0o700)
    env["HOME"] = folder

    # A display of our own: Xvfb picks a free number and tells it. Without -noreset it would reset
    # when its first client (the accessibility bus launcher) leaves, and refuse the console
    # connecting at that moment.
    read_end, write_end = os.pipe()
    processes.start(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp", "-noreset",
                     "-screen", "0", "1280x1024x24"], pass_fds=(write_end,),
                    stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end, "rb", buffering=0) as display:
        env["DISPLAY"] = ":" + read_line(display, "Xvfb's display number")

    # A session bus of our own; it starts the accessibility bus when first asked for it.
    bus = processes.start(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                           "--print-address=1"], stdout=subprocess.PIPE, env=env)
    env["DBUS_SESSION_BUS_ADDRESS"] = read_line(bus.stdout, "the session bus address")

    link = os.path.join(folder, "ttyUSB0")
    sim_process = start_sim(processes, sim, link, ["high-temp"])

    # The console in a folder of its own, English, manual mode, COM1 on the simulator.
    shutil.copy(console, os.path.join(folder, "climate-console"))
    subprocess.run([config, os.path.join(folder, "UserSet.INI"), "--defaults",
                    "--set", "UserSet", "Language", "中文(&L)",
                    "--set", "UserSet", "Check", "0",
                    "--set", "FrmFlash", "Time", "0",
                    "--set", "SerialPorts", "COM1", link], check=True, timeout=10)
    console_env = dict(env, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    WATCHED.append(("the console", processes.start([os.path.join(folder, "climate-console")],
                                                   cwd=folder, env=console_env)))

    # The client joins the same buses before libatspi starts.
    os.environ.update({k: env[k] for k in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS",
                                           "XDG_RUNTIME_DIR")})
    for k in [k for k in os.environ if k.startswith("AT_SPI_")]:
        del os.environ[k]
    import gi

    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi

    # libatspi 2.46 marks the action names deprecated without offering what replaces them.
    warnings.filterwarnings("ignore", category=DeprecationWarning)
    Atspi.init()
    check(Atspi, processes, sim_process, sim, link)


def children(node):
    try:
        count = node.get_child_count()
    except Exception:
        return []
    result = []
    for i in range(min(count, 500)):
        try:
            child = node.get_child_at_index(i)
        except Exception:
            child = None
        if child is not None:
            result.append(child)
    return result


def walk(node, depth=0):
    """The accessible tree under node, bounded in depth."""
    yield node
    if depth < 20:
        for child in children(node):
            yield from walk(child, depth + 1)


def find_app(Atspi):
    for app in children(Atspi.get_desktop(0)):
        if app.get_name() == "climate-console" and children(app):
            return app
    return None


def states(node):
    return set(node.get_state_set().get_states())


def description(node):
    return node.get_description() or ""


def press(Atspi, node):
    """Runs the node's press action, as a screen reader's "activate" does."""
    names = [Atspi.Action.get_action_name(node, i) for i in range(Atspi.Action.get_n_actions(node))]
    expect("Press" in names, repr(node.get_name()) + " offers " + repr(names))
    Atspi.Action.do_action(node, names.index("Press"))


def check(Atspi, processes, sim_process, sim, link):
    # A call that hangs fails the test instead of freezing it.
    Atspi.set_timeout(5000, 15000)

    # Description changes as a screen reader hears them: which lamp spoke. Qt's bridge puts the
    # lamp itself, not its new words, in the event, so the words are read from the lamp again.
    # libatspi registers the listener with the registry before it returns, and the registry tells
    # the console before it answers, so every change after our next call to the console reaches us.
    heard = []
    listener = Atspi.EventListener.new(lambda event: heard.append(event.source.get_name()))
    listener.register("object:property-change:accessible-description")

    app = wait_for("the console on the accessibility bus", lambda: find_app(Atspi))
    # The window exists, hidden, while the splash shows; once it shows, its show handler (which
    # makes the unit selector's buttons anew with each language switch) has run.
    frame = wait_for("the main window", lambda: next(
        (n for n in children(app) if n.get_role() == Atspi.Role.FRAME
         and Atspi.StateType.SHOWING in states(n)
         and any(c.get_name() == "Indoor Temperature" for c in walk(n))), None))
    nodes = list(walk(frame))

    def find(name, role):
        found = [n for n in nodes if n.get_name() == name and n.get_role() == role]
        expect(len(found) == 1, "%d %s named %r" % (len(found), Atspi.Role(role).value_nick, name))
        return found[0]

    # The start-up requests have been answered: the unit's alarm is up.
    high_temp = find("High Temperature Alarm", Atspi.Role.IMAGE)
    wait_for("the high temperature alarm", lambda: description(high_temp) == "alarm")
    expect(description(find("Low Temperature Alarm", Atspi.Role.IMAGE)) == "normal",
           "low temperature lamp: " + description(find("Low Temperature Alarm", Atspi.Role.IMAGE)))
    expect(description(find("Unit Status", Atspi.Role.IMAGE)) in ("running", "stopped"),
           "unit status lamp: " + description(find("Unit Status", Atspi.Role.IMAGE)))

    # Value boxes by their captions, their values as their text.
    for caption in ("Indoor Temperature", "Indoor Humidity", "Outdoor Temperature", "Voltage"):
        box = find(caption, Atspi.Role.TEXT)
        value = Atspi.Text.get_text(box, 0, -1)
        expect(value != "" and value != caption, caption + " box holds " + repr(value))

    # The unit selector's two items are radio buttons, the selected one checked.
    selector = find("Unit Selection", Atspi.Role.PANEL)
    items = [c for c in children(selector) if c.get_role() == Atspi.Role.RADIO_BUTTON]
    expect([i.get_name() for i in items] ==
           ["Air-Conditioner Control System", "Heat Exchanger Control System"],
           "unit selector items: "
           + repr([(i.get_role_name(), i.get_name()) for i in children(selector)]))
    expect([Atspi.StateType.CHECKED in states(i) for i in items] == [True, False],
           "the air conditioner is the one selected")

    # The port list is labelled by its caption; the port lamp beside it is reached by the keyboard
    # and says what its keys do.
    port_list = [n for n in nodes if n.get_role() == Atspi.Role.COMBO_BOX and
                 n.get_name() == "COM1"]
    expect(len(port_list) == 1, "one port list showing COM1")
    labels = [t.get_name() for r in port_list[0].get_relation_set()
              if r.get_relation_type() == Atspi.RelationType.LABELLED_BY
              for t in (r.get_target(i) for i in range(r.get_n_targets()))]
    expect("Serial Port" in labels, "port list labelled by " + repr(labels))
    lamp = find("Serial Port", Atspi.Role.IMAGE)
    expect(Atspi.StateType.FOCUSABLE in states(lamp), "the port lamp takes the focus")
    expect(description(lamp).startswith("open. Space, Enter"), "port lamp: " + description(lamp))

    # The lamp's toggle through its action: the first reopens the open port (the lamp stays as it
    # is), the second closes it.
    press(Atspi, lamp)
    expect(description(lamp).startswith("open."), "port lamp: " + description(lamp))
    press(Atspi, lamp)
    wait_for("the port lamp to say closed", lambda: description(lamp).startswith("closed."))
    wait_for("the port lamp's announcement", lambda: "Serial Port" in heard)

    # The unit's alarm clears while the port is closed. A request by the button opens the port
    # again, and the reply turns the alarm lamp back to normal, announced.
    processes.stop(sim_process)
    start_sim(processes, sim, link, [])
    heard.clear()
    press(Atspi, find("Real-Time Data Report (W)", Atspi.Role.PUSH_BUTTON))
    wait_for("the alarm lamp to say normal", lambda: description(high_temp) == "normal")
    wait_for("the alarm lamp's announcement", lambda: "High Temperature Alarm" in heard)
    expect(description(lamp).startswith("open."), "port lamp: " + description(lamp))
    listener.deregister("object:property-change:accessible-description")


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print("FAILED:", failure)
        sys.exit(1)
    print("atspi: the console reads right through AT-SPI")
