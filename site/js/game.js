// The game page: sends the player's commands, shows the game's replies as
// they come, keeps the command line ready, and holds at the game's pauses.
// Pages start it themselves (js/play.js for the player's page), so that the
// author's page can route the commands through its own queue.

import { CommandHistory } from "./history.js";
import { Narrator } from "./narrator.js";
import { sendCommand, UpdatePoller } from "./poller.js";
import { Settings } from "./settings.js";
import { Story } from "./story.js";

// Keys that continue a pause: any but those that only modify or move focus.
const NOT_CONTINUING = new Set(["Shift", "Control", "Alt", "Meta", "AltGraph", "CapsLock", "Tab", "Fn", "OS"]);

export class GamePage {
  // deliver(command) hands a command to the server; onReply(reply) hears
  // every reply after the page has shown it.
  constructor(document, { deliver = sendCommand, onReply = () => {} } = {}) {
    this.document = document;
    const find = (id) => document.getElementById(id);
    this.input = find("command");
    this.form = find("command-line");
    this.locationPanel = find("location");
    this.pausePanel = find("pause");
    this.optionsPanel = find("options");
    this.optionsToggle = find("options-toggle");
    this.speechOption = find("speech");
    // Commands and polls go to the game page's own address: the server
    // knows the game by the folder of that address and the player by cookie.
    this.address = location.pathname;
    this.deliver = deliver;
    this.onReply = onReply;
    this.story = new Story(find("story"), "kiv-story:" + this.address);
    this.history = new CommandHistory();
    this.narrator = new Narrator();
    this.settings = new Settings();
    this.poller = new UpdatePoller(this.address, (reply) => this.show(reply));
    this.paused = false;
  }

  start() {
    this.story.restore();
    const served = this.locationPanel.textContent.trim();
    this.showLocation(served === "[location]" ? "" : this.locationPanel.innerHTML);
    this.settings.apply(this.document.documentElement);
    this.bindOptions();
    this.bindCommandLine();
    this.bindPause();
    this.input.focus();
    this.poller.start();
  }

  show(reply) {
    if (reply.clear) this.story.clear();
    if (typeof reply.location === "string") this.showLocation(reply.location, true);
    if (typeof reply.text === "string" && reply.text !== "") {
      this.narrator.say(this.story.addReply(reply.text));
    }
    if (Array.isArray(reply.cmdlist)) this.history.replace(reply.cmdlist);
    if (reply.pause) this.holdPause();
    this.onReply(reply);
  }

  showLocation(html, isNew = false) {
    this.locationPanel.innerHTML = html;
    this.locationPanel.hidden = this.locationPanel.textContent.trim() === "";
    const name = this.locationPanel.innerText.split("\n").map((line) => line.trim()).find((line) => line !== "");
    this.document.title = name ? `${name} — КИВ` : "Игра — КИВ";
    if (isNew) this.narrator.say(this.locationPanel);
  }

  async send(command) {
    this.narrator.hush();
    this.story.addCommand(command);
    this.history.remember(command);
    try {
      await this.deliver(command);
    } catch {
      this.story.addNotice("Команда не дошла до игры. Проверьте связь и попробуйте ещё раз.");
    }
    this.poller.hurry();
  }

  bindCommandLine() {
    this.form.addEventListener("submit", (event) => {
      event.preventDefault();
      const command = this.input.value.trim();
      this.input.value = "";
      if (command !== "") this.send(command);
      this.input.focus();
    });
    this.input.addEventListener("keydown", (event) => this.onCommandKey(event));
    // The command line keeps the focus: a click on the story (not a
    // selection) or a printable key anywhere brings it back.
    this.story.element.addEventListener("click", (event) => {
      if (!this.paused && String(getSelection()) === "" && !event.target.closest("a, button, input")) this.input.focus();
    });
    this.document.addEventListener("keydown", (event) => {
      const typing = event.key.length === 1 && !event.ctrlKey && !event.metaKey && !event.altKey;
      if (!this.paused && typing && !event.target.closest("input, textarea, select, button")) this.input.focus();
    });
    window.addEventListener("focus", () => {
      if (this.optionsPanel.hidden) this.input.focus();
    });
  }

  onCommandKey(event) {
    if (this.paused) return;
    const box = this.story.element;
    switch (event.key) {
      case "ArrowUp":
        this.recall(this.history.older(this.input.value));
        break;
      case "ArrowDown":
        this.recall(this.history.newer());
        break;
      case "PageUp":
      case "PageDown":
        box.scrollBy({ top: (event.key === "PageUp" ? -0.9 : 0.9) * box.clientHeight });
        break;
      case "Escape":
        this.input.value = "";
        this.history.reset();
        break;
      default:
        return;
    }
    event.preventDefault();
  }

  recall(command) {
    if (command === null) return;
    this.input.value = command;
    this.input.setSelectionRange(command.length, command.length);
  }

  bindPause() {
    this.document.addEventListener("keydown", (event) => {
      if (!this.paused || NOT_CONTINUING.has(event.key)) return;
      event.preventDefault();
      event.stopImmediatePropagation();
      this.continueAfterPause();
    }, true);
    this.document.addEventListener("click", (event) => {
      if (!this.paused || event.target.closest(".topbar, .options")) return;
      event.preventDefault();
      this.continueAfterPause();
    }, true);
  }

  holdPause() {
    this.paused = true;
    this.poller.pause();
    this.pausePanel.hidden = false;
    this.form.classList.add("waiting");
  }

  continueAfterPause() {
    this.paused = false;
    this.pausePanel.hidden = true;
    this.form.classList.remove("waiting");
    this.input.focus();
    fetch(this.address + "?keypress", { cache: "no-store" }).catch(() => {});
    this.poller.resume();
  }

  bindOptions() {
    this.optionsToggle.addEventListener("click", () => this.toggleOptions());
    this.optionsPanel.addEventListener("keydown", (event) => {
      if (event.key === "Escape") this.toggleOptions(false);
    });
    if (!this.narrator.available) this.document.getElementById("speech-option").hidden = true;
    this.speechOption.checked = this.settings.speech;
    this.narrator.enabled = this.settings.speech;
    this.speechOption.addEventListener("change", () => {
      this.settings.setSpeech(this.speechOption.checked);
      this.narrator.enabled = this.speechOption.checked;
      if (!this.speechOption.checked) this.narrator.hush();
    });
    const resize = (steps) => {
      this.settings.changeTextSize(steps);
      this.settings.apply(this.document.documentElement);
    };
    this.document.getElementById("smaller").addEventListener("click", () => resize(-1));
    this.document.getElementById("larger").addEventListener("click", () => resize(1));
  }

  toggleOptions(open = this.optionsPanel.hidden) {
    this.optionsPanel.hidden = !open;
    this.optionsToggle.setAttribute("aria-expanded", String(open));
    if (open) this.optionsPanel.querySelector("input:not([hidden] *), button").focus();
    else this.input.focus();
  }
}
