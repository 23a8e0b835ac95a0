// Tovra's bridge inside GNOME Shell: the clipboard as only the shell can see and set it, served
// to Tovra alone over a socket in the user's runtime directory. No queue logic lives here.
//
// Who may connect: the program at TRUSTED_PROGRAM, told by the peer's process (SO_PEERCRED, then
// /proc/PID/exe). Anyone else is told "refused" and dropped. The directory is the user's own
// (0700), so other users cannot reach the socket at all; a program of the same user that is not
// Tovra is refused. Nothing is published on the session bus, where any client could listen.
//
// One message per line, fields separated by spaces, contents in base64:
//   shell -> Tovra: hello 1 | selection SERIAL TYPE... | data SERIAL TYPE BASE64 |
//                   nodata SERIAL TYPE | replaced WRITE | refused
//   Tovra -> shell: read SERIAL TYPE | set WRITE TYPE BASE64 | wipe WRITE
// The script takes what it needs from its caller (`deps`), so the legacy entry point (GNOME 43,
// 44) and the module one (45 and later) share it.

/* exported createBridge */

var createBridge = function (deps, trustedProgram) {
    const {Gio, GLib, Meta} = deps;
    const CLIPBOARD = Meta.SelectionType.SELECTION_CLIPBOARD;
    const selection = deps.display.get_selection();
    const encoder = new TextEncoder();
    const decoder = new TextDecoder();

    // Contents set for Tovra. A source of our own with every type would need a read_async
    // written here, and GJS cannot implement a virtual function that takes a callback: the
    // shell's memory source holds one type, the one Tovra sends first.
    function sourceFor(write, type, bytes) {
        const source = Meta.SelectionSourceMemory.new(type, bytes);
        source._tovraWrite = write;
        return source;
    }

    let service = null;
    let peer = null;  // {connection, input, output, queue, writing}
    let serial = 0;
    let ownSource = null;
    const selectionHandler = selection.connect('owner-changed', (_selection, type, source) => {
        if (type !== CLIPBOARD)
            return;
        if (source !== null && source === ownSource)
            return;
        if (ownSource !== null) {
            send(`replaced ${ownSource._tovraWrite}`);
            ownSource = null;
        }
        serial += 1;
        const types = source === null ? [] : selection.get_mimetypes(CLIPBOARD);
        send(['selection', serial, ...types].join(' '));
    });

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

    function drop(target) {
        if (peer === target)
            peer = null;
        target.connection.close_async(GLib.PRIORITY_DEFAULT, null, null);
    }

    function readSelection(requested, type) {
        if (requested !== serial) {
            send(`nodata ${requested} ${type}`);
            return;
        }
        const output = Gio.MemoryOutputStream.new_resizable();
        selection.transfer_async(CLIPBOARD, type, -1, output, null, (_s, result) => {
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

    function setContents(fields) {
        ownSource = sourceFor(fields[1], fields[2], new GLib.Bytes(GLib.base64_decode(fields[3])));
        selection.set_owner(CLIPBOARD, ownSource);
    }

    function wipe(write) {
        if (ownSource === null || ownSource._tovraWrite !== write)
            return;
        // An empty text in its place: the shell keeps a copy of a clipboard whose owner left.
        ownSource = sourceFor(write, 'text/plain;charset=utf-8', new GLib.Bytes(new Uint8Array(0)));
        selection.set_owner(CLIPBOARD, ownSource);
    }

    function handle(line) {
        const fields = line.split(' ');
        if (fields[0] === 'read' && fields.length === 3)
            readSelection(Number(fields[1]), fields[2]);
        else if (fields[0] === 'set' && fields.length >= 4)
            setContents(fields);
        else if (fields[0] === 'wipe' && fields.length === 2)
            wipe(fields[1]);
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
            target.queue.push(encoder.encode('refused\n'));
            target.output.write_all_async(target.queue.shift(), GLib.PRIORITY_DEFAULT, null,
                () => drop(target));
            return;
        }
        if (peer !== null)
            drop(peer);
        peer = target;
        send('hello 1');
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
        selection.disconnect(selectionHandler);
        if (peer !== null)
            drop(peer);
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
