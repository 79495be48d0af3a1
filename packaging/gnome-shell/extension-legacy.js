// SPDX-License-Identifier: MIT
// GNOME Shell 43 and 44: the legacy extension format.
'use strict';

const {Clutter, Gio, GLib, Shell} = imports.gi;
const Me = imports.misc.extensionUtils.getCurrentExtension();

/* exported init */
function init() {
  return new Me.imports.feed.Feed({Clutter, Gio, GLib, Shell}, global, imports.ui.main);
}
