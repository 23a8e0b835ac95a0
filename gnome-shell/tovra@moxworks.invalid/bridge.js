// Tovra's bridge inside GNOME Shell: the clipboard as only the shell can see and set it, served
// to Tovra alone over a socket in the user's runtime directory. No queue logic lives here.
//
// Who may connect: the program at TRUSTED_PROGRAM, told by the peer's process (SO_PEERCRED, then
// /proc/PID/exe). Anyone else is told "refused" and dropped. The directory is the user's own
// (0700), so other users cannot reach the socket at all; a program of the same user that is not
// Tovra is refused. Nothing is published on the session bus, where any client could listen.
//
// One message per line, fields separated by spaces, contents in base64:
//   shell -> Tovra: hello 1 | refused | selection SERIAL TYPE... | data SERIAL TYPE BASE64 |
//                   nodata SERIAL TYPE | replaced WRITE | press SERIAL KEY MODIFIERS |
//                   refused-key KEY MODIFIERS | focus WINDOW PID APPID | focus - | closed WINDOW
//   Tovra -> shell: read SERIAL TYPE LIMIT | set WRITE TYPE BASE64 | wipe WRITE |
//                   grab KEY MODIFIERS | ungrab KEY MODIFIERS | ungrab-all |
//                   replay SERIAL | swallow SERIAL | type MODIFIERS | activate WINDOW
// MODIFIERS are "ctrl", "shift", "alt", "super" joined by "+", or "-" for none.
//
// Keys: Tovra's shortcuts are the shell's own key bindings while Tovra is connected. Each press
// is told to Tovra, which answers: "replay" types the same keys on for the application, "swallow"
// drops them, "type" types a paste. What we type goes through a virtual keyboard of our own, and
// our bindings let exactly its presses through (filter-keybinding). When Tovra goes, every binding goes with it and
// presses still waiting are typed on: the keyboard is never left taken.
// The script takes what it needs from its caller (`deps`), so the legacy entry point (GNOME 43,
// 44) and the module one (45 and later) share it.

/* exported createBridge */

var createBridge = function (deps, trustedProgram) {
    const {Clutter, Gio, GLib, Meta, Shell} = deps;
    const display = deps.display;
    const CLIPBOARD = Meta.SelectionType.SELECTION_CLIPBOARD;
    const selection = display.get_selection();
    const encoder = new TextEncoder();
    const decoder = new TextDecoder();

    let service = null;
    let peer = null;  // {connection, input, output, queue, writing}

    function send(line) {
        if (peer === null)
            return;
        peer.queue.push(encoder.encode(`${line}\n`));
        flush(peer);
    }

    function flush(target) {
        if (target.writing || target.queue.length === 0)
            return;
        target.writing = true;
        const bytes = target.queue.shift();
        target.output.write_all_async(bytes, GLib.PRIORITY_DEFAULT, null, (stream, result) => {
            target.writing = false;
            try {
                stream.write_all_finish(result);
            } catch (e) {
                drop(target);
                return;
            }
            flush(target);
        });
    }

    // ---- The clipboard ----

    // A source of our own with every type would need a read_async written here, and GJS cannot
    // implement a virtual function that takes a callback: the shell's memory source holds one
    // type, the one Tovra prefers (text).
    function sourceFor(write, type, bytes) {
        const source = Meta.SelectionSourceMemory.new(type, bytes);
        source._tovraWrite = write;
        return source;
    }

    let serial = 0;
    let ownSource = null;
    const selectionHandler = selection.connect('owner-changed', (_selection, type, source) => {
        if (type !== CLIPBOARD)
            return;
        if (source !== null && source === ownSource)
            return;
        // The shell's own copy of a clipboard whose owner quit: the same contents, no copy.
        if (source instanceof Meta.SelectionSourceMemory)
            return;
        if (ownSource !== null) {
            send(`replaced ${ownSource._tovraWrite}`);
            ownSource = null;
        }
        serial += 1;
        const types = source === null ? [] : selection.get_mimetypes(CLIPBOARD);
        send(['selection', serial, ...types.filter(t => !/\s/.test(t))].join(' '));
    });

    function readSelection(requested, type, limit) {
        if (requested !== serial) {
            send(`nodata ${requested} ${type}`);
            return;
        }
        const output = Gio.MemoryOutputStream.new_resizable();
        selection.transfer_async(CLIPBOARD, type, limit, output, null, (_s, result) => {
            let ok = false;
            try {
                ok = selection.transfer_finish(result);
            } catch (e) {
                ok = false;
            }
            output.close(null);
            if (!ok) {
                send(`nodata ${requested} ${type}`);
                return;
            }
            const bytes = output.steal_as_bytes();
            send(`data ${requested} ${type} ${GLib.base64_encode(bytes.toArray())}`);
        });
    }

    function setContents(write, type, base64) {
        ownSource = sourceFor(write, type, new GLib.Bytes(GLib.base64_decode(base64)));
        selection.set_owner(CLIPBOARD, ownSource);
    }

    function wipe(write) {
        if (ownSource === null || (write !== null && ownSource._tovraWrite !== write))
            return;
        // An empty text in its place: the shell keeps a copy of a clipboard whose owner left.
        ownSource = sourceFor(ownSource._tovraWrite, 'text/plain;charset=utf-8',
            new GLib.Bytes(new Uint8Array(0)));
        selection.set_owner(CLIPBOARD, ownSource);
    }

    // ---- Keys ----

    // The keys Tovra may bind, named as its settings name them.
    const KEYS = {
        escape: Clutter.KEY_Escape, up: Clutter.KEY_Up, down: Clutter.KEY_Down,
        left: Clutter.KEY_Left, right: Clutter.KEY_Right,
    };
    for (const letter of 'abcdefghijklmnopqrstuvwxyz')
        KEYS[letter] = Clutter[`KEY_${letter}`];
    for (let digit = 0; digit <= 9; digit++)
        KEYS[digit] = Clutter[`KEY_${digit}`];
    const ACCELERATOR_KEYS = {escape: 'Escape', up: 'Up', down: 'Down', left: 'Left', right: 'Right'};
    for (let number = 1; number <= 12; number++) {
        KEYS[`f${number}`] = Clutter[`KEY_F${number}`];
        ACCELERATOR_KEYS[`f${number}`] = `F${number}`;
    }
    const MODIFIERS = {
        ctrl: {accelerator: '<Control>', keys: [Clutter.KEY_Control_L, Clutter.KEY_Control_R],
            mask: Clutter.ModifierType.CONTROL_MASK},
        shift: {accelerator: '<Shift>', keys: [Clutter.KEY_Shift_L, Clutter.KEY_Shift_R],
            mask: Clutter.ModifierType.SHIFT_MASK},
        alt: {accelerator: '<Alt>', keys: [Clutter.KEY_Alt_L, Clutter.KEY_Alt_R],
            mask: Clutter.ModifierType.MOD1_MASK},
        super: {accelerator: '<Super>', keys: [Clutter.KEY_Super_L, Clutter.KEY_Super_R],
            mask: Clutter.ModifierType.SUPER_MASK | Clutter.ModifierType.MOD4_MASK},
    };

    // The device our keyboard types on is known once the seat adds it: other virtual
    // keyboards (remote desktop) are the user's.
    const seat = deps.seat ?? Clutter.get_default_backend().get_default_seat();
    let ownDevice = null;
    const deviceHandler = seat.connect('device-added', (_seat, device) => {
        if (ownDevice === null && device.get_device_type() === Clutter.InputDeviceType.KEYBOARD_DEVICE &&
            (device.get_device_name() ?? '').startsWith('Virtual'))
            ownDevice = device;
    });
    const keyboard = seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
    const grabs = new Map();  // "v ctrl" -> {action, binding}
    const waiting = new Map();  // press serial -> {name: "v ctrl", window}
    const letThrough = new Map();  // "v ctrl" -> presses of ours still to come by
    let presses = 0;

    function modifiersOf(name) {
        return name === '-' ? [] : name.split('+').filter(m => m in MODIFIERS);
    }

    function grab(key, modifiers) {
        const name = `${key} ${modifiers}`;
        if (grabs.has(name) || !(key in KEYS))
            return;
        const accelerator = modifiersOf(modifiers).map(m => MODIFIERS[m].accelerator).join('') +
            (ACCELERATOR_KEYS[key] ?? key);
        const action = display.grab_accelerator(accelerator, Meta.KeyBindingFlags.IGNORE_AUTOREPEAT);
        if (action === Meta.KeyBindingAction.NONE) {
            send(`refused-key ${name}`);
            return;
        }
        const binding = Meta.external_binding_name_for_action(action);
        deps.allowKeybinding(binding, Shell.ActionMode.NORMAL);
        grabs.set(name, {action, binding});
    }

    function ungrab(name) {
        const taken = grabs.get(name);
        if (taken === undefined)
            return;
        display.ungrab_accelerator(taken.action);
        deps.allowKeybinding(taken.binding, Shell.ActionMode.NONE);
        grabs.delete(name);
    }

    function ungrabAll() {
        for (const name of [...grabs.keys()])
            ungrab(name);
    }

    const acceleratorHandler = display.connect('accelerator-activated', (_d, action, device) => {
        if (ownDevice !== null && device === ownDevice)
            return;  // ours, arrived with keys the user still holds: typed again below
        for (const [name, taken] of grabs) {
            if (taken.action !== action)
                continue;
            presses += 1;
            waiting.set(presses, {name, window: display.focus_window});
            send(`press ${presses} ${name}`);
            return;
        }
    });

    // Lets what we type past our bindings, exactly as typed: a chord of ours that arrives with
    // other modifiers (the user still holds one) is taken by the binding and typed again.
    const filterHandler = deps.windowManager.connect('filter-keybinding', (_wm, binding) => {
        for (const [name, taken] of grabs) {
            if (taken.binding !== binding.get_name())
                continue;
            if (ownDevice === null) {
                const expected = letThrough.get(name) ?? 0;
                if (expected === 0)
                    return false;
                letThrough.set(name, expected - 1);
                return true;
            }
            if (Clutter.get_current_event()?.get_source_device() !== ownDevice)
                return false;
            if (typing === null || typing.name !== name)
                return false;
            typing.arrived = true;
            return true;
        }
        return false;
    });

    function notify(keyval, pressed) {
        keyboard.notify_keyval(GLib.get_monotonic_time(), keyval,
            pressed ? Clutter.KeyState.PRESSED : Clutter.KeyState.RELEASED);
    }

    // Types KEY with exactly MODIFIERS. The shell passes a key on only at its first press
    // across all keyboards, and ours cannot let go of the user's keys: while the user still
    // holds V (or a modifier we do not want) what we type is dropped or arrives changed. So it
    // is typed again, every few milliseconds, until it arrived as typed, for up to a second.
    let typing = null;  // {name, arrived, tries, timer}
    function type(key, modifiers) {
        const keyval = KEYS[key];
        if (keyval === undefined)
            return;
        const wanted = modifiersOf(modifiers);
        const name = `${key} ${wanted.length === 0 ? '-' : wanted.join('+')}`;
        if (typing !== null)
            GLib.source_remove(typing.timer);
        const current = {name, arrived: false, tries: 0, timer: 0};
        typing = current;
        const attempt = () => {
            wanted.forEach(m => notify(MODIFIERS[m].keys[0], true));
            if (ownDevice === null && grabs.has(name))
                letThrough.set(name, (letThrough.get(name) ?? 0) + 1);
            notify(keyval, true);
            notify(keyval, false);
            [...wanted].reverse().forEach(m => notify(MODIFIERS[m].keys[0], false));
            current.tries += 1;
        };
        attempt();
        current.timer = GLib.timeout_add(GLib.PRIORITY_DEFAULT, 40, () => {
            // Only a chord we hold a binding for can be seen arriving.
            if (current.arrived || ownDevice === null || !grabs.has(name) || current.tries >= 25) {
                if (typing === current)
                    typing = null;
                return GLib.SOURCE_REMOVE;
            }
            attempt();
            return GLib.SOURCE_CONTINUE;
        });
    }

    // A press answered late goes to the window it was typed in, or nowhere: the user may have
    // moved on to another window meanwhile.
    function answer(pressSerial, replay) {
        const press = waiting.get(pressSerial);
        if (press === undefined)
            return;
        waiting.delete(pressSerial);
        if (replay && display.focus_window === press.window)
            type(...press.name.split(' '));
    }

    function releaseKeys() {
        ungrabAll();
        letThrough.clear();
        // Presses Tovra never answered reach the application as typed.
        const left = [...waiting.keys()];
        left.forEach(pressSerial => answer(pressSerial, true));
    }

    // ---- The window in front ----

    const watched = new Set();
    function reportFocus() {
        const window = display.focus_window;
        if (window === null) {
            send('focus -');
            return;
        }
        if (!watched.has(window)) {
            watched.add(window);
            const id = window.get_id();
            window.connect('unmanaged', () => {
                watched.delete(window);
                send(`closed ${id}`);
            });
        }
        const app = (window.get_wm_class() ?? window.get_gtk_application_id() ?? '-')
            .replace(/\s/g, '') || '-';
        send(`focus ${window.get_id()} ${window.get_pid()} ${app}`);
    }
    const focusHandler = display.connect('notify::focus-window', reportFocus);

    function activate(id) {
        const window = display.list_all_windows().find(w => String(w.get_id()) === id);
        if (window !== undefined)
            deps.activateWindow(window);
    }

    // ---- Tovra's connection ----

    function handle(line) {
        const fields = line.split(' ');
        const [command] = fields;
        if (command === 'read' && fields.length === 4)
            readSelection(Number(fields[1]), fields[2], Number(fields[3]));
        else if (command === 'set' && fields.length === 4)
            setContents(fields[1], fields[2], fields[3]);
        else if (command === 'wipe' && fields.length === 2)
            wipe(fields[1]);
        else if (command === 'grab' && fields.length === 3)
            grab(fields[1], fields[2]);
        else if (command === 'ungrab' && fields.length === 3)
            ungrab(`${fields[1]} ${fields[2]}`);
        else if (command === 'ungrab-all')
            ungrabAll();
        else if ((command === 'replay' || command === 'swallow') && fields.length === 2)
            answer(Number(fields[1]), command === 'replay');
        else if (command === 'type' && fields.length === 2)
            type('v', fields[1]);
        else if (command === 'activate' && fields.length === 2)
            activate(fields[1]);
    }

    function drop(target) {
        if (peer === target) {
            peer = null;
            // Tovra is gone: the keys are the user's again, and what it staged goes with it.
            releaseKeys();
            wipe(null);
        }
        target.connection.close_async(GLib.PRIORITY_DEFAULT, null, null);
    }

    function listen(target) {
        target.input.read_line_async(GLib.PRIORITY_DEFAULT, null, (stream, result) => {
            let line;
            try {
                [line] = stream.read_line_finish(result);
            } catch (e) {
                line = null;
            }
            if (line === null) {
                drop(target);
                return;
            }
            if (peer === target)
                handle(decoder.decode(line));
            listen(target);
        });
    }

    function programOf(connection) {
        try {
            const pid = connection.get_socket().get_credentials().get_unix_pid();
            return GLib.file_read_link(`/proc/${pid}/exe`);
        } catch (e) {
            return null;
        }
    }

    function accept(connection) {
        const target = {
            connection,
            input: new Gio.DataInputStream({base_stream: connection.get_input_stream()}),
            output: connection.get_output_stream(),
            queue: [],
            writing: false,
        };
        target.input.set_newline_type(Gio.DataStreamNewlineType.LF);
        if (programOf(connection) !== trustedProgram) {
            target.output.write_all_async(encoder.encode('refused\n'), GLib.PRIORITY_DEFAULT,
                null, () => target.connection.close_async(GLib.PRIORITY_DEFAULT, null, null));
            return;
        }
        if (peer !== null)
            drop(peer);
        peer = target;
        send('hello 1');
        reportFocus();
        listen(target);
    }

    function start() {
        const directory = GLib.build_filenamev([GLib.get_user_runtime_dir(), 'tovra-gnome']);
        GLib.mkdir_with_parents(directory, 0o700);
        const path = GLib.build_filenamev([directory, 'bridge']);
        GLib.unlink(path);
        service = new Gio.SocketService();
        service.add_address(Gio.UnixSocketAddress.new(path), Gio.SocketType.STREAM,
            Gio.SocketProtocol.DEFAULT, null);
        service.connect('incoming', (_service, connection) => {
            accept(connection);
            return true;
        });
        service.start();
    }

    function stop() {
        if (peer !== null)
            drop(peer);
        selection.disconnect(selectionHandler);
        display.disconnect(acceleratorHandler);
        display.disconnect(focusHandler);
        deps.windowManager.disconnect(filterHandler);
        if (typing !== null)
            GLib.source_remove(typing.timer);
        seat.disconnect(deviceHandler);
        if (service !== null) {
            service.stop();
            service.close();
            service = null;
        }
        if (ownSource !== null)
            selection.unset_owner(CLIPBOARD, ownSource);
        ownSource = null;
    }

    start();
    return {stop};
};
