#pragma once
// SDL's video start-up connects to the desktop session bus (screen saver and input-method
// services). With no bus address in the environment, the bus library tries to launch a bus for
// the X display, which can block start-up for seconds on a bare X server. Start-up never needs
// that bus, so the address is settled before the video system starts.

// When DBUS_SESSION_BUS_ADDRESS is unset: the user's bus socket ($XDG_RUNTIME_DIR/bus) when it
// exists, else an address that fails at once instead of launching a bus. An address already set
// is left alone. Main thread, before the video system starts (it changes the environment).
void SettleSessionBusAddress();
