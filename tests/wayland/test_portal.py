#!/usr/bin/env python3
"""A ScreenCast portal backend for the tests, beside a control for them.

xdg-desktop-portal routes the magnifier's ScreenCast requests here instead of
to GNOME's backend, whose dialog no test can answer. Sessions are approved
(or declined, when a test says so) without asking and record every monitor
through mutter's own screen cast, with the pointer as metadata; a session
started with restore data counts as one that did not ask.

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
CURSOR_METADATA = 2  # mutter's numbering; the portal's is 4

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


def monitors():
    """(connector, x, y) of every logical monitor, in layout order."""
    state = call(("org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig"),
                 "org.gnome.Mutter.DisplayConfig", "GetCurrentState")
    return [(specs[0][0], x, y) for (x, y, _scale, _t, _primary, specs, _p) in state[2]]


class Recording:
    """A mutter screen cast of every monitor, started on its own or linked to
    a remote-desktop session; `streams` is [(node, x, y, width, height, path)]."""

    def __init__(self, remote_session_id=None):
        options = {}
        if remote_session_id:
            options["remote-desktop-session-id"] = GLib.Variant("s", remote_session_id)
        self.path = call(MUTTER_CAST, "org.gnome.Mutter.ScreenCast", "CreateSession",
                         GLib.Variant("(a{sv})", (options,)), "(o)")[0]
        self.streams = []
        self.nodes = {}
        self.subscriptions = []
        for connector, _x, _y in monitors():
            stream = call((MUTTER_CAST[0], self.path), "org.gnome.Mutter.ScreenCast.Session",
                          "RecordMonitor",
                          GLib.Variant("(sa{sv})", (connector, {
                              "cursor-mode": GLib.Variant("u", CURSOR_METADATA)})), "(o)")[0]
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
        self.multiple = False
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
state = {"answer": "approve", "asks": 0, "offered": []}
requests = []  # (method, {option: value}) as the front end passed each request on
control = {}


def screen_cast(method, args, invocation):
    if method == "CreateSession":
        sessions[args[1]] = PortalSession(args[1])
        return invocation.return_value(GLib.Variant("(ua{sv})", (0, {})))
    session = sessions.get(args[1])
    if session is None:
        return invocation.return_value(GLib.Variant("(ua{sv})", (2, {})))
    if method == "SelectSources":
        options = args[3]
        session.multiple = options.get("multiple", False)
        if "restore_data" not in options:
            state["asks"] += 1  # GNOME's backend would show its dialog here
        if state["answer"] == "hold":
            session.held = invocation
            return None
        if state["answer"] != "approve":
            return invocation.return_value(GLib.Variant("(ua{sv})", (1, {})))
        return invocation.return_value(GLib.Variant("(ua{sv})", (0, {})))
    # Start
    if state["offered"]:
        chosen = state["offered"] if session.multiple else state["offered"][:1]
    else:
        session.recording = Recording()
        session.recording.start()
        chosen = [described[:5] for described in session.recording.described()]
    streams = [(node, {"position": GLib.Variant("(ii)", (x, y)),
                       "size": GLib.Variant("(ii)", (w, h)),
                       "source_type": GLib.Variant("u", 1)})
               for node, x, y, w, h in chosen]
    results = {"streams": GLib.Variant("a(ua{sv})", streams),
               "persist_mode": GLib.Variant("u", 2),
               "restore_data": GLib.Variant("(suv)", ("lupetest", 1,
                                                      GLib.Variant("s", "all monitors")))}
    invocation.return_value(GLib.Variant("(ua{sv})", (0, results)))


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
    cursor_modes = 7 if interface.startswith("org.freedesktop.impl") else 3
    return GLib.Variant("u", {"AvailableSourceTypes": 1, "AvailableCursorModes": cursor_modes,
                              "version": 4}[name])


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
