// Polls the game's "update" address (or the author's "updide") one request
// at a time and hands every reply with content to the page. A pause stops
// polling until the player continues, since the rest of the text waits on
// the server until then.

import { PollSchedule } from "./schedule.js";

// The body of an "update" reply: an object, null when nothing is new.
export function parseReply(body) {
  const text = body.trim();
  if (text === "") return null;
  const reply = JSON.parse(text);
  if (reply === null || typeof reply !== "object" || Array.isArray(reply)) {
    throw new Error("update reply is not an object");
  }
  return Object.keys(reply).length === 0 ? null : reply;
}

// Hands a command to the game at the page's address; the server answers at
// once, and the game's reply comes with a later poll.
export async function sendCommand(command, address = location.pathname) {
  const response = await fetch(address + "?cmd=" + encodeURIComponent(command), { cache: "no-store" });
  if (!response.ok) throw new Error(String(response.status));
}

export class UpdatePoller {
  constructor(address, onReply, schedule = new PollSchedule(), query = "update") {
    this.address = address;
    this.query = query;
    this.onReply = onReply;
    this.schedule = schedule;
    this.timer = null;
    this.inFlight = false;
    this.paused = false;
  }

  start() {
    this.pollSoon(0);
  }

  // A command has just been sent: its answer is coming.
  hurry() {
    this.schedule.activity(performance.now());
    if (!this.inFlight) this.pollSoon(0);
  }

  pause() {
    this.paused = true;
    clearTimeout(this.timer);
  }

  resume() {
    this.paused = false;
    this.hurry();
  }

  pollSoon(delay) {
    clearTimeout(this.timer);
    if (!this.paused) this.timer = setTimeout(() => this.poll(), delay);
  }

  async poll() {
    if (this.inFlight || this.paused) return;
    this.inFlight = true;
    let delay;
    try {
      const response = await fetch(this.address + "?" + this.query, { cache: "no-store" });
      if (!response.ok) throw new Error(this.query + " answered " + response.status);
      const reply = parseReply(await response.text());
      if (reply) {
        this.schedule.activity(performance.now());
        this.onReply(reply);
        delay = this.schedule.quick;
      } else {
        delay = this.schedule.afterEmptyPoll(performance.now());
      }
    } catch (error) {
      console.warn("kiv:", error.message);
      delay = this.schedule.afterFailedPoll();
    } finally {
      this.inFlight = false;
    }
    this.pollSoon(delay);
  }
}
