// Reads new text aloud with the browser's speech synthesis, in Russian.

// The words of an element as they should be heard, stress marks left out
// (voices stumble on them). Drop-cap pictures are skipped: the page keeps
// their letter as hidden text at the start of the paragraph.
export function spokenText(element) {
  const parts = [];
  const walker = element.ownerDocument.createTreeWalker(element, NodeFilter.SHOW_TEXT | NodeFilter.SHOW_ELEMENT);
  for (let node = walker.nextNode(); node; node = walker.nextNode()) {
    if (node.nodeType === Node.TEXT_NODE) parts.push(node.nodeValue);
    else if (["P", "BR", "DIV", "LI"].includes(node.tagName)) parts.push(" ");
  }
  return parts.join("").replace(/\u0301/g, "").replace(/\s+/g, " ").trim();
}

export class Narrator {
  constructor() {
    this.synthesis = "speechSynthesis" in window ? window.speechSynthesis : null;
    this.enabled = false;
  }

  get available() {
    return this.synthesis !== null;
  }

  say(element) {
    if (!this.enabled || !this.synthesis) return;
    const text = spokenText(element);
    if (text === "") return;
    const utterance = new SpeechSynthesisUtterance(text);
    utterance.lang = "ru-RU";
    const voice = this.synthesis.getVoices().find((candidate) => candidate.lang.startsWith("ru"));
    if (voice) utterance.voice = voice;
    this.synthesis.speak(utterance);
  }

  hush() {
    if (this.synthesis) this.synthesis.cancel();
  }
}
