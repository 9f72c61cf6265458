// The player's own choices, kept in this browser: reading aloud and text size.

const KEY = "kiv-settings";
const SMALLEST = -2;
const LARGEST = 4;

export class Settings {
  constructor() {
    this.speech = false;
    this.textStep = 0;
    try {
      Object.assign(this, this.pick(JSON.parse(localStorage.getItem(KEY) || "{}")));
    } catch {
      // Unreadable or forbidden storage: the defaults stand.
    }
  }

  pick(stored) {
    const chosen = {};
    if (typeof stored.speech === "boolean") chosen.speech = stored.speech;
    if (Number.isInteger(stored.textStep)) chosen.textStep = Math.min(LARGEST, Math.max(SMALLEST, stored.textStep));
    return chosen;
  }

  changeTextSize(steps) {
    this.textStep = Math.min(LARGEST, Math.max(SMALLEST, this.textStep + steps));
    this.save();
  }

  setSpeech(on) {
    this.speech = on;
    this.save();
  }

  save() {
    try {
      localStorage.setItem(KEY, JSON.stringify({ speech: this.speech, textStep: this.textStep }));
    } catch {
      // The choice holds for this visit only.
    }
  }

  apply(root) {
    root.style.setProperty("--text-scale", String(1 + this.textStep * 0.1));
  }
}
