// The story as it grows: the game's replies (already HTML, written by the
// game), the player's commands between them, scrolling to what is new, and
// a copy kept for this tab so that reloading the page does not lose it.

const KEEP_CHARACTERS = 200000;

// A drop-cap picture stands for the first letter of the paragraph after it.
// Screen readers and the narrator get that letter as hidden text joined to
// the rest of the word, and skip the picture.
function readDropCaps(turn) {
  for (const image of turn.querySelectorAll("img.letter")) {
    let paragraph = image.nextElementSibling;
    while (paragraph && paragraph.tagName !== "P") paragraph = paragraph.nextElementSibling;
    if (!paragraph) continue;
    const letter = turn.ownerDocument.createElement("span");
    letter.className = "visually-hidden";
    letter.textContent = image.alt;
    paragraph.prepend(letter);
    image.alt = "";
    image.setAttribute("aria-hidden", "true");
  }
}

export class Story {
  constructor(element, storageKey) {
    this.element = element;
    this.storageKey = storageKey;
  }

  // Adds a reply and returns the element that holds it.
  addReply(html) {
    const turn = this.element.ownerDocument.createElement("div");
    turn.className = "reply";
    turn.innerHTML = html;
    readDropCaps(turn);
    this.add(turn);
    return turn;
  }

  addCommand(command) {
    const line = this.element.ownerDocument.createElement("p");
    line.className = "command-echo";
    line.textContent = command;
    this.add(line);
  }

  // A word from the page itself, not from the game.
  addNotice(message) {
    const line = this.element.ownerDocument.createElement("p");
    line.className = "notice";
    line.textContent = message;
    this.add(line);
  }

  clear() {
    this.element.replaceChildren();
    this.save();
  }

  add(node) {
    this.element.append(node);
    this.save();
    this.reveal(node);
  }

  // Scrolls so that the new text shows from its start when it is longer than
  // the view, and to the very end otherwise.
  reveal(node) {
    const box = this.element;
    const end = box.scrollHeight - box.clientHeight;
    const start = node.offsetTop - box.offsetTop - 8;
    const calm = matchMedia("(prefers-reduced-motion: reduce)").matches;
    box.scrollTo({ top: Math.max(0, Math.min(start, end)), behavior: calm ? "auto" : "smooth" });
  }

  save() {
    try {
      let html = this.element.innerHTML;
      while (html.length > KEEP_CHARACTERS && this.element.firstElementChild) {
        this.element.firstElementChild.remove();
        html = this.element.innerHTML;
      }
      sessionStorage.setItem(this.storageKey, html);
    } catch {
      // Storage may be full or forbidden; the story on screen is what counts.
    }
  }

  restore() {
    try {
      const html = sessionStorage.getItem(this.storageKey);
      if (html) {
        this.element.innerHTML = html;
        this.element.scrollTop = this.element.scrollHeight;
      }
    } catch {
      // Nothing kept: the story starts afresh.
    }
  }
}
