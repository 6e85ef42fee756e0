#!/usr/bin/env python3
"""A ScreenCast portal backend for the tests, beside a control for them.

xdg-desktop-portal routes the magnifier's ScreenCast requests here instead of
to GNOME's backend, whose dialog no test can answer. It grants what GNOME's
backend would once its dialog is approved, and no more: one monitor unless
several were asked for (`multiple`), the first, as a user would pick it; the
pointer as metadata only for cursor mode 4 (2 embeds it in the pictures, 1
and no mode hide it); restore data only for persist mode 1 or 2. A source type
other than monitors, or a cursor mode it does not offer, is refused with
response 2, as GNOME's backend does. The sources are recorded through
mutter's own screen cast. A session with restore data of ours, whose sources
are all still there, is not asked again and gets the same sources; the
dialog is declined or left open only when a test says so.

It plays GNOME's backend unless told otherwise (Play): "kde" gives streams
without their position, as Plasma 5.27 does; "old" is a backend of version 3,
which ignores persist_mode and restore data and so asks every time.
xdg-desktop-portal 1.16 calls itself version 4 whatever its backend says (it
reads the backend's version once, at its start, only to follow changes of
the cursor modes), so the program always sees version 4; behind "old" it
gets no restore token.

The control (org.tevka.LupeTest) moves the pointer, presses buttons and keys
through mutter's RemoteDesktop, hands the tests a screen-cast stream of
their own, and lets them end the portal's streams or count what is open.
Given streams of a test's own (OfferStreams: node, x, y, width, height), Start
answers with them instead of recording mutter (the first alone when the
program asked for one source); an empty list records mutter again. Requests
lists every CreateSession, SelectSources and Start with its options as the
front end passed them on (it drops what it does not know and turns a
restore token it knows into restore_data); ForgetRequests empties the list.
Told to "hold", the backend leaves SelectSources unanswered until its
session is closed, as a dialog the user has not answered yet.

Started with --portal-without-pointer, it stands in for a whole portal whose
desktop gives no pointer position with its streams, as wlroots' does.
"""
import os
import sys

from gi.repository import Gio, GLib

BACKEND_NAME = "org.freedesktop.impl.portal.desktop.lupetest"
PORTAL_PATH = "/org/freedesktop/portal/desktop"
CONTROL_NAME = "org.tevka.LupeTest"
CONTROL_PATH = "/org/tevka/LupeTest"
MUTTER_CAST = ("org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast")
MUTTER_REMOTE = ("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop")
MONITOR = 1  # the one source type offered (AvailableSourceTypes)
# The portal's cursor modes (hidden, embedded, as metadata: AvailableCursorModes
# 7) in mutter's numbering.
MUTTER_CURSOR_MODES = {1: 0, 2: 1, 4: 2}
CURSOR_METADATA = MUTTER_CURSOR_MODES[4]
RESTORE_FORMAT = ("lupetest", 1)  # our restore data's provider and version
# The desktops' backends it plays (Play): their ScreenCast version, and
# whether a stream tells its place on the desktop.
MODES = {
    "gnome": {"version": 4, "position": True},
    # Plasma 5.27 tells a stream's size and source type, not its position.
    "kde": {"version": 4, "position": False},
    # Before version 4 a backend knew no persist_mode: it never gave restore
    # data and asked every time.
    "old": {"version": 3, "position": True},
}

INTERFACES = Gio.DBusNodeInfo.new_for_xml("""
<node>
  <interface name="org.freedesktop.impl.portal.ScreenCast">
    <method name="CreateSession">
      <arg type="o" direction="in"/><arg type="o" direction="in"/>
      <arg type="s" direction="in"/><arg type="a{sv}" direction="in"/>
      <arg type="u" direction="out"/><arg type="a{sv}" direction="out"/>
    </method>
    <method name="SelectSources">
      <arg type="o" direction="in"/><arg type="o" direction="in"/>
      <arg type="s" direction="in"/><arg type="a{sv}" direction="in"/>
      <arg type="u" direction="out"/><arg type="a{sv}" direction="out"/>
    </method>
    <method name="Start">
      <arg type="o" direction="in"/><arg type="o" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/>
      <arg type="a{sv}" direction="in"/>
      <arg type="u" direction="out"/><arg type="a{sv}" direction="out"/>
    </method>
    <property name="AvailableSourceTypes" type="u" access="read"/>
    <property name="AvailableCursorModes" type="u" access="read"/>
    <property name="version" type="u" access="read"/>
  </interface>
  <interface name="org.freedesktop.impl.portal.Session">
    <method name="Close"/>
    <signal name="Closed"/>
    <property name="version" type="u" access="read"/>
  </interface>
  <interface name="org.freedesktop.portal.ScreenCast">
    <property name="AvailableSourceTypes" type="u" access="read"/>
    <property name="AvailableCursorModes" type="u" access="read"/>
    <property name="version" type="u" access="read"/>
  </interface>
  <interface name="org.tevka.LupeTest">
    <method name="MovePointer"><arg type="d" direction="in"/><arg type="d" direction="in"/></method>
    <method name="Button"><arg type="i" direction="in"/><arg type="b" direction="in"/></method>
    <method name="Key"><arg type="u" direction="in"/><arg type="b" direction="in"/></method>
    <method name="ScreenStreams"><arg type="a(uiiii)" direction="out"/></method>
    <method name="SetAnswer"><arg type="s" direction="in"/></method>
    <method name="EndStreams"/>
    <method name="Asks"><arg type="u" direction="out"/></method>
    <method name="Held"><arg type="u" direction="out"/></method>
    <method name="OpenSessions"><arg type="u" direction="out"/></method>
    <method name="OfferStreams"><arg type="a(uiiii)" direction="in"/></method>
    <method name="Requests"><arg type="a(sa{sv})" direction="out"/></method>
    <method name="ForgetRequests"/>
    <method name="Play"><arg type="s" direction="in"/></method>
  </interface>
</node>""")

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)


def call(target, interface, method, args=None, reply=None):
    name, path = target
    return bus.call_sync(name, path, interface, method, args,
                         GLib.VariantType(reply) if reply else None,
                         Gio.DBusCallFlags.NONE, -1, None)


def wait_until(ready, seconds=10):
    context = GLib.MainContext.default()
    deadline = GLib.get_monotonic_time() + seconds * 1000000
    while not ready() and GLib.get_monotonic_time() < deadline:
        context.iteration(True) if context.pending() else GLib.usleep(2000)
    return ready()


def connectors():
    """The connector of every logical monitor, in layout order."""
    state = call(("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig"),
                 "org.gnome.Mutter.DisplayConfig", "GetCurrentState")
    return [specs[0][0] for (_x, _y, _scale, _t, _primary, specs, _p) in state[2]]


class Recording:
    """A mutter screen cast of the monitors at `monitors` (every one unless
    told), started on its own or linked to a remote-desktop session;
    `streams` is [(node, x, y, width, height, path)]."""

    def __init__(self, remote_session_id=None, monitors=None, cursor_mode=CURSOR_METADATA):
        options = {}
        if remote_session_id:
            options["remote-desktop-session-id"] = GLib.Variant("s", remote_session_id)
        self.path = call(MUTTER_CAST, "org.gnome.Mutter.ScreenCast", "CreateSession",
                         GLib.Variant("(a{sv})", (options,)), "(o)")[0]
        self.streams = []
        self.nodes = {}
        self.subscriptions = []
        for connector in monitors or connectors():
            stream = call((MUTTER_CAST[0], self.path), "org.gnome.Mutter.ScreenCast.Session",
                          "RecordMonitor",
                          GLib.Variant("(sa{sv})", (connector, {
                              "cursor-mode": GLib.Variant("u", cursor_mode)})), "(o)")[0]
            self.subscriptions.append(bus.signal_subscribe(
                MUTTER_CAST[0], "org.gnome.Mutter.ScreenCast.Stream", "PipeWireStreamAdded",
                stream, None, Gio.DBusSignalFlags.NONE, self._added, None))
            self.streams.append(stream)
        self.stopped = False

    def _added(self, _bus, _sender, path, _iface, _signal, args, _data):
        self.nodes[path] = args[0]

    def start(self):
        call((MUTTER_CAST[0], self.path), "org.gnome.Mutter.ScreenCast.Session", "Start")

    def described(self):
        """Waits for the PipeWire nodes, then describes each stream."""
        if not wait_until(lambda: len(self.nodes) == len(self.streams)):
            raise RuntimeError("mutter did not announce its PipeWire streams")
        described = []
        for stream in self.streams:
            parameters = call((MUTTER_CAST[0], stream), "org.freedesktop.DBus.Properties", "Get",
                              GLib.Variant("(ss)", ("org.gnome.Mutter.ScreenCast.Stream",
                                                    "Parameters")), "(v)")[0]
            x, y = parameters.get("position", (0, 0))
            width, height = parameters["size"]
            described.append((self.nodes[stream], x, y, width, height, stream))
        return described

    def stop(self):
        if self.stopped:
            return
        self.stopped = True
        for subscription in self.subscriptions:
            bus.signal_unsubscribe(subscription)
        try:
            call((MUTTER_CAST[0], self.path), "org.gnome.Mutter.ScreenCast.Session", "Stop")
        except GLib.Error:
            pass  # already gone with its remote-desktop session


class PortalSession:
    """The backend's side of one portal session, exported at its handle."""

    def __init__(self, handle):
        self.handle = handle
        self.recording = None
        # What SelectSources chose: the sources by name, how the pointer goes
        # along, whether the choice is to be kept.
        self.chosen = []
        self.cursor_mode = 1
        self.persist_mode = 0
        self.held = None  # a SelectSources left unanswered, as a dialog the user ignores
        self.registration = bus.register_object(
            handle, INTERFACES.lookup_interface("org.freedesktop.impl.portal.Session"),
            self._method, self._property, None)

    def _method(self, _bus, _sender, _path, _iface, method, _args, invocation):
        self.close(tell=False)
        invocation.return_value(None)

    def _property(self, *_):
        return GLib.Variant("u", 1)

    def close(self, tell):
        if self.held:
            self.held.return_value(GLib.Variant("(ua{sv})", (2, {})))
            self.held = None
        if self.recording:
            self.recording.stop()
            self.recording = None
        if self.registration:
            if tell:
                bus.emit_signal(None, self.handle, "org.freedesktop.impl.portal.Session",
                                "Closed", None)
            bus.unregister_object(self.registration)
            self.registration = None
        sessions.pop(self.handle, None)


sessions = {}
state = {"answer": "approve", "asks": 0, "offered": [], "mode": "gnome"}
requests = []  # (method, {option: value}) as the front end passed each request on
control = {}


def respond(invocation, code, results=None):
    invocation.return_value(GLib.Variant("(ua{sv})", (code, results or {})))


def sources():
    """What the user could choose from: the streams a test offered, else
    mutter's monitors, by name."""
    if state["offered"]:
        return [f"stream {stream[0]}" for stream in state["offered"]]
    return connectors()


def restorable(data):
    """The sources kept in restore data of ours, when all are still there."""
    if not data or tuple(data[:2]) != RESTORE_FORMAT or not data[2]:
        return None
    return data[2] if all(source in sources() for source in data[2]) else None


def select_sources(session, options, invocation):
    # As GNOME's backend does: a source type or cursor mode it does not offer
    # is refused with response 2. (The front end has refused, as an error,
    # cursor modes it was not told of and types it does not know at all.)
    types = options.get("types", MONITOR)
    cursor_mode = options.get("cursor_mode", 1)  # hidden, unless asked for
    if not types & MONITOR or types & ~MONITOR or cursor_mode not in MUTTER_CURSOR_MODES:
        return respond(invocation, 2)
    session.cursor_mode = cursor_mode
    persists = MODES[state["mode"]]["version"] >= 4
    session.persist_mode = options.get("persist_mode", 0) if persists else 0
    session.chosen = restorable(options.get("restore_data")) if persists else None
    if session.chosen:
        return respond(invocation, 0)  # chosen before: nobody is asked
    state["asks"] += 1  # GNOME's backend would show its dialog here
    if state["answer"] == "hold":
        session.held = invocation
        return None
    if state["answer"] != "approve":
        return respond(invocation, 1)
    # The user's choice: every source where several may be chosen, else one.
    session.chosen = sources() if options.get("multiple", False) else sources()[:1]
    return respond(invocation, 0)


def start(session, invocation):
    offered = {f"stream {stream[0]}": stream for stream in state["offered"]}
    if all(source in offered for source in session.chosen):
        chosen = [offered[source] for source in session.chosen]
    else:
        session.recording = Recording(monitors=session.chosen,
                                      cursor_mode=MUTTER_CURSOR_MODES[session.cursor_mode])
        session.recording.start()
        chosen = [described[:5] for described in session.recording.described()]
    streams = []
    for node, x, y, width, height in chosen:
        properties = {"size": GLib.Variant("(ii)", (width, height)),
                      "source_type": GLib.Variant("u", MONITOR)}
        if MODES[state["mode"]]["position"]:
            properties["position"] = GLib.Variant("(ii)", (x, y))
        streams.append((node, properties))
    results = {"streams": GLib.Variant("a(ua{sv})", streams)}
    if session.persist_mode in (1, 2):
        # The choice, to be made again without asking; the front end keeps it
        # and hands the program a restore token for it.
        results["persist_mode"] = GLib.Variant("u", session.persist_mode)
        results["restore_data"] = GLib.Variant(
            "(suv)", RESTORE_FORMAT + (GLib.Variant("as", session.chosen),))
    respond(invocation, 0, results)


def screen_cast(method, args, invocation):
    if method == "CreateSession":
        sessions[args[1]] = PortalSession(args[1])
        return respond(invocation, 0)
    session = sessions.get(args[1])
    if session is None:
        return respond(invocation, 2)
    if method == "SelectSources":
        return select_sources(session, args[3], invocation)
    return start(session, invocation)


def input_session():
    """The control's remote-desktop session with a screen cast of its own."""
    if "remote" not in control:
        remote = call(MUTTER_REMOTE, "org.gnome.Mutter.RemoteDesktop", "CreateSession", None,
                      "(o)")[0]
        session_id = call((MUTTER_REMOTE[0], remote), "org.freedesktop.DBus.Properties", "Get",
                          GLib.Variant("(ss)", ("org.gnome.Mutter.RemoteDesktop.Session",
                                                "SessionId")), "(v)")[0]
        recording = Recording(session_id)
        call((MUTTER_REMOTE[0], remote), "org.gnome.Mutter.RemoteDesktop.Session", "Start")
        # mutter makes the virtual keyboard with its first key, and a window
        # focused before then gets that key's press only as held at entry:
        # a Shift tapped now makes it before any window.
        for pressed in (True, False):
            call((MUTTER_REMOTE[0], remote), "org.gnome.Mutter.RemoteDesktop.Session",
                 "NotifyKeyboardKeycode", GLib.Variant("(ub)", (42, pressed)))
        control["remote"] = remote
        control["streams"] = recording.described()
    return control["remote"], control["streams"]


def remote_call(method, args):
    remote, _ = input_session()
    call((MUTTER_REMOTE[0], remote), "org.gnome.Mutter.RemoteDesktop.Session", method, args)


def test_control(method, args, invocation):
    if method == "MovePointer":
        _, streams = input_session()
        x, y = args
        for _node, sx, sy, w, h, path in streams:
            if sx <= x < sx + w and sy <= y < sy + h:
                remote_call("NotifyPointerMotionAbsolute",
                            GLib.Variant("(sdd)", (path, x - sx, y - sy)))
                return invocation.return_value(None)
        return invocation.return_dbus_error("org.tevka.LupeTest.Error", "off every monitor")
    if method == "Button":
        remote_call("NotifyPointerButton", GLib.Variant("(ib)", args))
    elif method == "Key":
        remote_call("NotifyKeyboardKeysym", GLib.Variant("(ub)", args))
    elif method == "ScreenStreams":
        _, streams = input_session()
        return invocation.return_value(GLib.Variant(
            "(a(uiiii))", ([stream[:5] for stream in streams],)))
    elif method == "SetAnswer":
        state["answer"] = args[0]
    elif method == "EndStreams":
        for session in list(sessions.values()):
            session.close(tell=True)
    elif method == "Asks":
        return invocation.return_value(GLib.Variant("(u)", (state["asks"],)))
    elif method == "Held":
        held = sum(1 for session in sessions.values() if session.held)
        return invocation.return_value(GLib.Variant("(u)", (held,)))
    elif method == "OfferStreams":
        state["offered"] = [tuple(stream) for stream in args[0]]
    elif method == "Play":
        if args[0] not in MODES:
            return invocation.return_dbus_error("org.tevka.LupeTest.Error",
                                                f"no such desktop: {args[0]}")
        state["mode"] = args[0]
    elif method == "Requests":
        return invocation.return_value(GLib.Variant("(a(sa{sv}))", (requests,)))
    elif method == "ForgetRequests":
        requests.clear()
    elif method == "OpenSessions":
        return invocation.return_value(GLib.Variant("(u)", (len(sessions),)))
    invocation.return_value(None)


def dispatch(_bus, _sender, _path, interface, method, args, invocation):
    try:
        if interface == CONTROL_NAME:
            test_control(method, args.unpack(), invocation)
        else:
            options = args.get_child_value(args.n_children() - 1)
            requests.append((method, {key: options.lookup_value(key, None)
                                      for key in options.keys()}))
            screen_cast(method, args.unpack(), invocation)
    except GLib.Error as error:
        invocation.return_gerror(error)
    except Exception as error:  # a test must see what went wrong, not a timeout
        invocation.return_dbus_error("org.tevka.LupeTest.Error", str(error))


def portal_property(_bus, _sender, _path, interface, name):
    # Hidden and embedded only, without metadata, where the desktop lacks it.
    cursor_modes = sum(MUTTER_CURSOR_MODES) if interface.startswith("org.freedesktop.impl") else 3
    version = MODES[state["mode"]]["version"] if interface.startswith("org.freedesktop.impl") else 4
    return GLib.Variant("u", {"AvailableSourceTypes": MONITOR, "AvailableCursorModes": cursor_modes,
                              "version": version}[name])


def main():
    if "--portal-without-pointer" in sys.argv:
        names = ("org.freedesktop.portal.Desktop",)
        bus.register_object(PORTAL_PATH,
                            INTERFACES.lookup_interface("org.freedesktop.portal.ScreenCast"),
                            None, portal_property, None)
    else:
        names = (BACKEND_NAME, CONTROL_NAME)
        bus.register_object(PORTAL_PATH,
                            INTERFACES.lookup_interface("org.freedesktop.impl.portal.ScreenCast"),
                            dispatch, portal_property, None)
        bus.register_object(CONTROL_PATH, INTERFACES.lookup_interface(CONTROL_NAME), dispatch,
                            None, None)
    for name in names:
        reply = call(("org.freedesktop.DBus", "/org/freedesktop/DBus"), "org.freedesktop.DBus",
                     "RequestName", GLib.Variant("(su)", (name, 4)), "(u)")[0]
        if reply != 1:
            sys.exit(f"test portal: could not own {name}")
    print("ready", flush=True)
    GLib.MainLoop().run()


if __name__ == "__main__":
    main()
