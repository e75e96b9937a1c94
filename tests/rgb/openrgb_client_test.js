// The openrgb-sdk client from the npm registry against the running application: it lists the emulated
// devices, reads their modes and zones, sets a hardware mode, streams Direct colours that the emulated
// keyboard and mouse receive (read from the application's traffic capture), and sees the list change when
// a device is plugged in. Usage: node openrgb_client_test.js PORT CAPTURE_FILE COMMAND_SOCKET
"use strict";

const fs = require("fs");
const net = require("net");
const { Client } = require("openrgb-sdk");

const [port, captureFile, commandSocket] = process.argv.slice(2);
const deadline = (ms) => Date.now() + ms;

function fail(message) {
    console.error("FAIL: " + message);
    process.exit(1);
}

function check(condition, message) {
    if (!condition) fail(message);
}

async function until(what, condition, ms = 10000) {
    const end = deadline(ms);
    while (Date.now() < end) {
        if (await condition()) return;
        await new Promise((resolve) => setTimeout(resolve, 20));
    }
    fail("timed out waiting for " + what);
}

async function connect() {
    // The application may still be starting: the connection is tried again until a deadline.
    let client;
    await until("the server", async () => {
        client = new Client("openrgb-sdk test", Number(port), "127.0.0.1");
        try {
            await client.connect(2000);
            return true;
        } catch (e) {
            return false;
        }
    }, 20000);
    return client;
}

// Lines of the capture where a device received a streamed light frame (command 0x12) holding `rgb`.
function frameHolds(device, rgb) {
    const hex = rgb.map((b) => b.toString(16).padStart(2, "0")).join(" ");
    const text = fs.existsSync(captureFile) ? fs.readFileSync(captureFile, "utf8") : "";
    return text.split("\n").some((line) => {
        const words = line.split(" ");
        return words[0] === "OUT" && words[1] === device && words[5] === "12" && line.includes(hex);
    });
}

function plug(device) {
    return new Promise((resolve, reject) => {
        const socket = net.createConnection(commandSocket, () => socket.end("plug " + device + "\n", resolve));
        socket.on("error", reject);
    });
}

async function main() {
    const client = await connect();
    check(client.protocolVersion >= 3, "protocol " + client.protocolVersion + " negotiated");
    // The devices are served once the window has opened them.
    await until("three controllers", async () => (await client.getControllerCount()) === 3);
    const devices = await client.getAllControllerData();
    const byName = Object.fromEntries(devices.map((d) => [d.name, d]));
    check(byName.Mouse && byName.Mouse.type === 6, "the mouse, type 6: " + JSON.stringify(devices.map((d) => d.name)));
    check(byName.Keyboard && byName.Keyboard.type === 5, "the keyboard, type 5");
    check(byName.Headset && byName.Headset.type === 8, "the headset, type 8");
    const keyboard = byName.Keyboard;
    check(keyboard.modes[0].name === "Direct", "Direct comes first");
    check(keyboard.zones[0].type === 2 && keyboard.zones[0].matrix.width === 23, "the keys on their grid");
    check(keyboard.leds.some((led) => led.name === "Esc"), "keys by name");
    check(keyboard.vendor === "Halvern", "the vendor string");

    // A hardware mode with its colour: the controller then reports what the mouse holds.
    const mouse = byName.Mouse;
    const staticMode = mouse.modes.find((m) => m.name === "Static");
    check(staticMode, "the mouse's Static mode");
    await client.updateMode(mouse.deviceId, { ...staticMode, colorMode: 2, colors: [{ red: 18, green: 52, blue: 86 }] });
    await until("the mouse's Static mode", async () => {
        const now = await client.getControllerData(mouse.deviceId);
        const active = now.modes[now.activeMode];
        return active.name === "Static" && active.colors[0].red === 18 && active.colors[0].blue === 86;
    });

    // Direct colours reach the devices' streamed frames (half brightness shows as 127 at full level).
    const keyColours = keyboard.leds.map(() => ({ red: 0x80, green: 0x40, blue: 0x20 }));
    const mouseColours = mouse.leds.map(() => ({ red: 0x20, green: 0x40, blue: 0x80 }));
    await until("Direct colours in the keyboard's and mouse's frames", async () => {
        client.updateLeds(keyboard.deviceId, keyColours);
        client.updateLeds(mouse.deviceId, mouseColours);
        return frameHolds("keyboard", [0x7f, 0x3f, 0x1f]) && frameHolds("mouse", [0x1f, 0x3f, 0x7f]);
    });

    // A device plugged in: the list grows. (This client hears the server's list notice only while one of
    // its requests waits for an answer, so the test asks until the pad is there.)
    let noticed = false;
    client.on("deviceListUpdated", () => {
        noticed = true;
    });
    await plug("mousepad");
    await until("the pad in the list", async () => (await client.getControllerCount()) === 4);
    const pad = (await client.getAllControllerData()).find((d) => d.type === 7);
    check(pad && pad.name === "Mouse pad", "the pad, type 7");
    client.disconnect();
    console.log("ok: controllers listed, a mode set, Direct frames seen, the pad plugged in" +
                (noticed ? " (list notice heard)" : ""));
    process.exit(0);
}

main().catch((e) => fail(e && e.stack ? e.stack : String(e)));
