// Polls the game's "update" address one request at a time and hands every
// reply with content to the page. A pause stops polling until the player
// continues, since the rest of the text waits on the server until then.

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

export class UpdatePoller {
  constructor(address, onReply, schedule = new PollSchedule()) {
    this.address = address;
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
      const response = await fetch(this.address + "?update", { cache: "no-store" });
      if (!response.ok) throw new Error("update answered " + response.status);
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
