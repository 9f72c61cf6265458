// How long to wait before the next "update" poll. Right after a command or a
// reply the game is likely to answer soon, so polls follow each other closely;
// once it has been quiet for a while the wait grows step by step, and a failed
// poll (no session, server gone) backs off faster still.

export class PollSchedule {
  constructor({ quick = 25, busyFor = 5000, slowest = 2000, growth = 1.5 } = {}) {
    this.quick = quick;
    this.busyFor = busyFor;
    this.slowest = slowest;
    this.growth = growth;
    this.lastActivity = -Infinity;
    this.wait = quick;
  }

  // A command was sent or a reply arrived.
  activity(now) {
    this.lastActivity = now;
    this.wait = this.quick;
  }

  afterEmptyPoll(now) {
    if (now - this.lastActivity < this.busyFor) return this.quick;
    this.wait = Math.min(this.slowest, Math.max(this.quick, this.wait * this.growth));
    return this.wait;
  }

  afterFailedPoll() {
    this.wait = Math.min(this.slowest, Math.max(500, this.wait * 2));
    return this.wait;
  }
}
