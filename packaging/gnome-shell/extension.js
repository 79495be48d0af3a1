// SPDX-License-Identifier: MIT
// GNOME Shell 45 and later: the ES-module extension format.
import Clutter from 'gi://Clutter';
import Gio from 'gi://Gio';
import GLib from 'gi://GLib';
import Shell from 'gi://Shell';
import {Extension} from 'resource:///org/gnome/shell/extensions/extension.js';
import * as Main from 'resource:///org/gnome/shell/ui/main.js';

import {Feed} from './feed.js';

export default class TavrineExtension extends Extension {
  enable() {
    this._feed = new Feed({Clutter, Gio, GLib, Shell}, global, Main);
    this._feed.enable();
  }

  disable() {
    this._feed.disable();
    this._feed = null;
  }
}
