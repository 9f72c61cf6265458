// The commands of the author's page, one at a time. The engine keeps one
// waiting command per session and refuses another until its worker has
// taken the first, so the next command goes only when a reply on the
// author's channel shows that the last one was done (every turn ends with
// the object tree, every query with its answer), or after a while, since a
// turn cut short answers nothing there. A reply of the game itself proves
// nothing: it may be one that came late. The player's commands go before
// the page's own queries.

export class CommandQueue {
  constructor(deliver, { patience = 5000, timers = globalThis } = {}) {
    this.deliver = deliver;
    this.patience = patience;
    this.timers = timers;
    this.waiting = [];
    this.busy = false;
    this.timer = null;
  }

  // Resolves once the command has been handed to the server.
  player(command) {
    return new Promise((resolve, reject) => {
      const queries = this.waiting.findIndex((item) => !item.fromPlayer);
      const item = { command, fromPlayer: true, resolve, reject };
      if (queries === -1) this.waiting.push(item);
      else this.waiting.splice(queries, 0, item);
      this.pump();
    });
  }

  // A query of the page; the same query already waiting is not repeated.
  // Returns whether the query was taken.
  query(command) {
    if (this.waiting.some((item) => item.command === command)) return false;
    this.waiting.push({ command, fromPlayer: false, resolve() {}, reject() {} });
    this.pump();
    return true;
  }

  // A reply came on the author's channel: the command sent last is done.
  settled() {
    if (!this.busy) return;
    this.timers.clearTimeout(this.timer);
    this.busy = false;
    this.pump();
  }

  // No answer came in time: the engine may have refused the command while
  // one sent earlier still waited (a page reloaded mid-turn). A query
  // changes nothing in the game, so it goes once more; a player's command
  // never goes twice.
  unanswered(item) {
    if (!item.fromPlayer && !item.repeated) {
      item.repeated = true;
      this.waiting.unshift(item);
    }
    this.settled();
  }

  pump() {
    if (this.busy || this.waiting.length === 0) return;
    const item = this.waiting.shift();
    this.busy = true;
    this.timer = this.timers.setTimeout(() => this.unanswered(item), this.patience);
    this.deliver(item.command).then(item.resolve, (error) => {
      item.reject(error);
      this.settled();
    });
  }
}
