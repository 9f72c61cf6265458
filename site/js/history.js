// The player's earlier commands, most recent first, walked with the arrow keys.
// The server's list is the truth; a command just sent is put in front at once
// so that the up arrow finds it before the server's next reply.

const LIMIT = 10;

export class CommandHistory {
  constructor() {
    this.entries = [];
    this.position = -1;  // -1: the player's own unfinished line
    this.draft = "";
  }

  replace(entries) {
    this.entries = entries.filter((entry) => typeof entry === "string").slice(0, LIMIT);
    this.reset();
  }

  remember(command) {
    if (command.startsWith("ide=")) return;
    if (this.entries[0] !== command) {
      this.entries = [command, ...this.entries.filter((entry) => entry !== command)].slice(0, LIMIT);
    }
    this.reset();
  }

  reset() {
    this.position = -1;
    this.draft = "";
  }

  // Returns the text the command line should show, or null when there is no
  // older command.
  older(currentLine) {
    if (this.position + 1 >= this.entries.length) return null;
    if (this.position === -1) this.draft = currentLine;
    this.position += 1;
    return this.entries[this.position];
  }

  newer() {
    if (this.position === -1) return null;
    this.position -= 1;
    return this.position === -1 ? this.draft : this.entries[this.position];
  }
}
