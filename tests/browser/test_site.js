// A site of its own for each test run: the browser client from site/, a game
// made from the bundled example with a group and a title for the catalogue,
// and copies of webkiv and the engine in its bin/ folder (webkiv takes the
// parent of its own bin/ folder as the site root, found through its real
// path, so the programs are copied rather than linked). Then webkiv is
// started on a port the system picks, serving only this machine.

import { spawn } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";

const repository = path.resolve(path.dirname(fileURLToPath(import.meta.url)), "../..");

export const GAME_GROUP = "Проверка в браузере";
export const GAME_TITLE = "Кухня и коридор";

function layOut(webkiv, gameTail) {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), "kiv-browser-"));
  fs.cpSync(path.join(repository, "site"), root, { recursive: true });
  const example = fs.readFileSync(path.join(repository, "games/example/example.kiv"), "utf8");
  fs.mkdirSync(path.join(root, "games"));
  fs.writeFileSync(path.join(root, "games/test.kiv"), `// ${GAME_GROUP}\n// ${GAME_TITLE}\n${example}${gameTail}`);
  const bin = path.join(root, "bin");
  const programs = path.dirname(webkiv);
  fs.mkdirSync(bin);
  for (const program of [webkiv, path.join(programs, "libkiv.so")]) {
    fs.copyFileSync(program, path.join(bin, path.basename(program)));
    fs.chmodSync(path.join(bin, path.basename(program)), 0o755);
  }
  fs.symlinkSync(path.join(repository, "lib"), path.join(bin, "lib"));
  const dictionary = [path.join(programs, "kiv.dic"), process.env.KIV_FULL_DICTIONARY].find((file) => file && fs.existsSync(file));
  if (dictionary) fs.symlinkSync(path.resolve(dictionary), path.join(bin, "kiv.dic"));
  return root;
}

// Resolves with the address webkiv prints once it serves.
function waitForAddress(server, log) {
  return new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error("webkiv printed no address in 60 s:\n" + log.join(""))), 60000);
    let printed = "";
    server.stdout.on("data", (chunk) => {
      printed += chunk;
      const found = printed.match(/http:\/\/[^\s/]+/);
      if (found) {
        clearTimeout(timer);
        resolve(found[0]);
      }
    });
    server.on("exit", (code, signal) => {
      clearTimeout(timer);
      reject(new Error(`webkiv ended before serving (${code ?? signal}):\n` + log.join("")));
    });
  });
}

// editor: serve the author's page with its queries; gameTail: game source
// added after the example's.
export async function startSite({ webkiv = process.env.WEBKIV, editor = false, gameTail = "" } = {}) {
  if (!webkiv || !fs.existsSync(webkiv)) throw new Error("set WEBKIV to the webkiv program to test");
  const root = layOut(path.resolve(webkiv), gameTail);
  const log = [];
  const options = ["--port", "0", "--listen", "127.0.0.1", ...(editor ? ["--editor"] : [])];
  const server = spawn(path.join(root, "bin", path.basename(webkiv)), [...options, "/", "s"], {
    stdio: ["ignore", "pipe", "pipe"],
    detached: true,  // its own process group, ended whole however it stops
  });
  const end = (signal) => process.kill(-server.pid, signal);
  server.stderr.on("data", (chunk) => log.push(String(chunk)));
  let address;
  try {
    address = await waitForAddress(server, log);
  } catch (error) {
    end("SIGKILL");
    fs.rmSync(root, { recursive: true, force: true });
    throw error;
  }
  let ended = null;
  server.on("exit", (code, signal) => { ended = code ?? signal; });
  return {
    root,
    address,
    log,
    // Whether the server is still up: a request must never end it.
    get running() { return ended === null; },
    async stop() {
      if (ended === null) {
        const exited = new Promise((resolve) => server.once("exit", resolve));
        end("SIGTERM");
        await exited;
      }
      fs.rmSync(root, { recursive: true, force: true });
    },
  };
}
