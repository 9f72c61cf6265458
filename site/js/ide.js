// The author's page: the game as on the player's page, and beside it panels
// that show the running world. The engine answers the page's "ide=" queries
// and sends the object tree of the player's place after every turn; both
// come with the "updide" poll.

import { CommandQueue } from "./command_queue.js";
import { GamePage } from "./game.js";
import { showHighlighted } from "./highlight.js";
import { classTree, mapPlanes, methodNames, objectTree, propertyRows, sameName, syntaxRecords } from "./ide_replies.js";
import { drawLevel, layOutPlane, markPlace } from "./map_view.js";
import { sendCommand, UpdatePoller } from "./poller.js";

// The game language's own Russian names of its types.
const TYPE_NAMES = {
  bool: "булево", number: "число", keyword: "спецслово", string: "строка", course: "направление",
  object: "объект", attribute: "признак", relation: "отношение", act: "акт", class: "класс",
  location: "локация", word: "слово", preposition: "предлог", "and-list": "и-список",
  "or-list": "или-список", context: "контекст", null: "пусто", calc: "метод",
};
// The two built-in rows every entity starts with.
const SYSTEM_ROWS = { type: "тип", name: "имя" };
const KIND_NAMES = { sys: "встроенное", prp: "свойство", var: "переменная", tmp: "временное свойство" };
const ABSENT = "--";

const typeName = (type) => TYPE_NAMES[type] ?? type;
// Trees mark classes with "@" and words with "$"; queries take the bare name.
const bareName = (name) => name.replace(/^[@$]/, "");

class AuthorPage {
  constructor(document, queue) {
    this.document = document;
    this.queue = queue;
    this.find = (id) => document.getElementById(id);
    this.placeKey = "kiv-ide-place:" + location.pathname;
    this.chosen = null;
    this.here = null;
    this.codeAnswers = [];     // which panel each awaited "currentcode" fills
    this.collapsed = new Set(); // tree paths the author closed
    this.expanded = new Set();  // and those opened
  }

  start() {
    this.find("globals").addEventListener("click", () => this.choose("global"));
    this.find("dictionary-form").addEventListener("submit", (event) => {
      event.preventDefault();
      const word = this.find("dictionary-word").value.trim();
      if (word !== "") this.ask("entry=" + word, "entry");
    });
    this.find("method-form").addEventListener("submit", (event) => {
      event.preventDefault();
      const method = this.find("method-name").value.trim();
      if (method !== "") this.askMethod(method);
    });
    // After a reload no turn has sent the tree yet: ask for the place the
    // tab last showed.
    const place = remembered(this.placeKey);
    if (place) this.queue.query("ide=objtree=" + place);
    this.queue.query("ide=map");
  }

  // A player's command has gone to the game: after its turn, its readings,
  // the map and the chosen object's properties may have changed.
  afterCommand() {
    this.find("command-words").hidden = true;
    this.queue.query("ide=syntax");
    this.queue.query("ide=map");
    if (this.chosen) this.queue.query("ide=prplist=" + this.chosen);
  }

  ask(query, codePanel = null) {
    if (this.queue.query("ide=" + query) && codePanel) this.codeAnswers.push(codePanel);
  }

  handle(reply) {
    if (Array.isArray(reply.objtree)) this.showObjects(reply.objtree);
    if (Array.isArray(reply.cmdtree)) this.showCommandWords(reply.cmdtree);
    if (Array.isArray(reply.clstree)) this.showClasses(reply.clstree);
    if (Array.isArray(reply.prplist)) this.showProperties(reply.prplist);
    if (typeof reply.currentcode === "string") this.showCode(reply.currentcode);
    if (Array.isArray(reply.syntax)) this.showSyntax(reply.syntax);
    if (Array.isArray(reply.map)) this.showMap(reply.map);
  }

  // ---- The object tree of the player's place ----

  showObjects(rows) {
    const roots = objectTree(rows);
    const place = roots.find((node) => node.type === "location");
    this.here = place ? place.name : null;
    remember(this.placeKey, this.here);
    this.find("objects-empty").textContent = "Игрок сейчас ни в одном месте.";
    this.find("objects-empty").hidden = roots.length > 0;
    this.find("object-tree").replaceChildren(...roots.map((node) => this.treeItem(node, node.name, 1)));
    this.markHere();
  }

  // Nested lists of buttons: a name chooses the entity, the arrow before it
  // shows or hides what it holds.
  treeItem(node, path, level) {
    const item = this.document.createElement("li");
    item.className = "tree-item";
    item.dataset.name = node.name;
    const row = this.document.createElement("div");
    row.className = "tree-row";
    const hasChildren = node.children.length > 0;
    const open = hasChildren && !this.collapsed.has(path) && (level === 1 || this.expanded.has(path));
    if (hasChildren) {
      const twisty = this.button("twisty", open ? "▾" : "▸");
      twisty.setAttribute("aria-expanded", String(open));
      twisty.setAttribute("aria-label", "Что в нём: " + node.name);
      twisty.addEventListener("click", () => this.toggle(item, path));
      row.append(twisty);
    } else {
      row.append(this.span("twisty-space", ""));
    }
    const name = this.button("object-name", node.name);
    if (this.chosen && sameName(bareName(node.name), this.chosen)) name.classList.add("chosen");
    name.addEventListener("click", () => this.choose(bareName(node.name)));
    row.append(name, this.span("object-kind", [typeName(node.type), node.relation].filter(Boolean).join(", ")));
    item.append(row);
    if (hasChildren) {
      const group = this.document.createElement("ul");
      group.hidden = !open;
      group.append(...node.children.map((child) => this.treeItem(child, path + "/" + child.name, level + 1)));
      item.append(group);
    }
    return item;
  }

  toggle(item, path) {
    const twisty = item.querySelector(":scope > .tree-row > .twisty");
    const open = twisty.getAttribute("aria-expanded") !== "true";
    twisty.setAttribute("aria-expanded", String(open));
    twisty.textContent = open ? "▾" : "▸";
    item.querySelector(":scope > ul").hidden = !open;
    (open ? this.expanded : this.collapsed).add(path);
    (open ? this.collapsed : this.expanded).delete(path);
  }

  // ---- The chosen object: classes, properties, code ----

  choose(name) {
    this.chosen = name;
    this.find("chosen-name").textContent = name === "global" ? "— глобальные переменные" : "«" + name + "»";
    for (const button of this.document.querySelectorAll("#object-tree .object-name")) {
      button.classList.toggle("chosen", sameName(bareName(button.textContent), name));
    }
    this.find("object-hint").hidden = true;
    this.find("method-heading").hidden = true;
    this.find("method-code").hidden = true;
    this.find("object-panel").open = true;
    if (name === "global") {
      this.showClasses([]);
    } else {
      this.ask("clstree=" + name);
    }
    this.ask("prplist=" + name);
    this.ask("code=" + name, "object");
  }

  showClasses(records) {
    const roots = classTree(records);
    const tree = this.find("class-tree");
    tree.replaceChildren(...roots.map((node) => this.classItem(node)));
    tree.hidden = roots.length === 0;
    this.find("classes-heading").hidden = roots.length === 0;
  }

  classItem(node) {
    const item = this.document.createElement("li");
    if (node.cutOff) {
      item.append(this.span("ide-error", "Цепочка классов глубже десяти уровней — дальше не показана."));
      return item;
    }
    const name = this.button("object-name", node.name);
    name.addEventListener("click", () => this.choose(bareName(node.name)));
    item.append(name, this.span("object-kind", typeName(node.type)));
    if (node.children.length > 0) {
      const group = this.document.createElement("ul");
      group.append(...node.children.map((child) => this.classItem(child)));
      item.append(group);
    }
    return item;
  }

  showProperties(rows) {
    const table = this.find("properties");
    const body = table.tBodies[0];
    body.replaceChildren(...propertyRows(rows).map((row) => this.propertyRow(row)));
    table.hidden = false;
    this.find("properties-heading").hidden = false;
    if (rows.length === 0) {
      const empty = this.document.createElement("tr");
      const cell = this.document.createElement("td");
      cell.colSpan = 3;
      cell.className = "ide-hint";
      cell.textContent = this.chosen === "global" ? "Глобальных переменных нет." : "Объект не найден.";
      empty.append(cell);
      body.append(empty);
    }
  }

  propertyRow(row) {
    const line = this.document.createElement("tr");
    line.className = "property-" + row.kind;
    const name = this.document.createElement("th");
    name.scope = "row";
    const builtIn = row.kind === "sys" && !row.exit;
    name.append(this.span("property-name", builtIn ? SYSTEM_ROWS[row.name] ?? row.name : row.name),
      this.span("property-kind", row.exit ? "выход" : row.type === "calc" ? "метод" : KIND_NAMES[row.kind] ?? row.kind));
    const value = this.document.createElement("td");
    if (row.exit) {
      value.append(this.span("", row.exit.target === ABSENT ? "никуда" : "→ " + row.exit.target));
      if (row.exit.text && row.exit.text !== ABSENT) value.append(this.span("property-note", "проход: " + row.exit.text));
      if (row.exit.blocked && row.exit.blocked !== ABSENT) value.append(this.span("property-note", "нет пути: " + row.exit.blocked));
    } else if (builtIn) {
      value.textContent = row.name === "type" ? typeName(row.value) : row.value;
    } else if (row.type === "calc") {
      // A method shows its code, found where it is written: in the object
      // itself or in one of its classes.
      const show = this.button("quiet-button", "Показать код");
      show.setAttribute("aria-label", "Показать код метода " + row.name);
      show.addEventListener("click", () => this.askMethod(row.name, bareName(row.holder)));
      value.append(show);
    } else {
      value.append(this.span("", row.type === "null" ? "пусто" : row.value));
      if (row.type !== "null") value.append(this.span("property-note", typeName(row.type)));
    }
    const source = this.document.createElement("td");
    source.textContent = row.holder === "global" ? "глобально" : row.holder;
    if (row.owner && row.owner !== row.holder) source.append(this.span("property-note", "владелец: " + row.owner));
    line.append(name, value, source);
    return line;
  }

  showCode(reply) {
    const panel = this.codeAnswers.shift() ?? "object";
    // Blank lines around the source say nothing.
    const text = reply.replace(/^(?:[ \t]*\r?\n)+/, "").trimEnd();
    if (panel === "entry") return this.showText("article", text, text === "Статья не найдена.");
    if (panel === "method") return this.showMethodCode(text);
    const failed = text.startsWith("error:") || text === "глобальный код после использования не сохраняется!";
    this.find("code-hint").hidden = !failed;
    this.find("code-hint").textContent = failed ? readableError(text) : "";
    const code = this.find("object-code");
    code.hidden = failed;
    if (!failed) showHighlighted(code, text);
    const methods = failed ? [] : methodNames(text);
    const list = this.find("methods");
    list.replaceChildren(...methods.map((method) => {
      const button = this.button("method-name quiet-button", method);
      button.addEventListener("click", () => this.askMethod(method));
      return button;
    }));
    list.hidden = methods.length === 0;
    this.find("method-form").hidden = failed;
  }

  askMethod(method, holder = this.chosen) {
    const where = sameName(holder, this.chosen) ? "" : " из " + holder;
    this.find("method-title").textContent = "«" + method + "»" + where;
    this.find("code-panel").open = true;
    this.ask("method=" + holder + "." + method, "method");
  }

  showMethodCode(text) {
    const heading = this.find("method-heading");
    heading.hidden = false;
    const code = this.find("method-code");
    code.hidden = false;
    if (text.startsWith("error:")) {
      code.textContent = readableError(text);
      code.classList.add("ide-error");
    } else if (text === "") {
      code.textContent = "Такого метода у объекта нет.";
      code.classList.add("ide-error");
    } else {
      code.classList.remove("ide-error");
      showHighlighted(code, text);
    }
    heading.scrollIntoView({ block: "nearest" });
  }

  showText(id, text, isMessage) {
    const element = this.find(id);
    element.hidden = false;
    element.classList.toggle("ide-error", isMessage);
    if (isMessage) element.textContent = text;
    else showHighlighted(element, text);
  }

  // ---- The readings of the last command ----

  showSyntax(records) {
    const readings = syntaxRecords(records);
    const box = this.find("syntax");
    this.find("syntax-empty").textContent = "Последняя команда не дала ни одного прочтения.";
    this.find("syntax-empty").hidden = readings.length > 0;
    // The first element is the words as typed with all their meanings, the
    // readings made of them follow.
    box.replaceChildren(...readings.map((reading, index) => this.readingCard(reading, index)));
  }

  readingCard(reading, number) {
    const card = this.document.createElement("section");
    card.className = number === 0 ? "reading words" : reading.chosen ? "reading chosen" : "reading";
    const title = this.document.createElement("h3");
    if (number === 0) title.textContent = "Слова команды и все их значения";
    else title.textContent = reading.chosen ? `Прочтение ${number} — выбрано` : `Прочтение ${number}`;
    card.append(title);
    const facts = [];
    const { actor, speaker, addressee } = reading.persons;
    if (actor !== "-") facts.push("действует: " + actor);
    if (speaker !== "-") facts.push("говорит: " + speaker);
    if (addressee !== "-") facts.push("обращается к: " + addressee);
    if (reading.chosen) facts.push(`охватывает слов: ${reading.score}, наибольший вес ошибки: ${reading.weight}`);
    if (facts.length > 0) card.append(this.paragraph("reading-facts", facts.join("; ")));
    const tokens = this.document.createElement("ol");
    tokens.className = "tokens";
    for (const token of reading.tokens) {
      const item = this.document.createElement("li");
      item.append(this.span("token-text", token.text));
      if (token.uncertain) item.append(this.span("token-uncertain", "неоднозначно"));
      const meanings = this.document.createElement("ul");
      meanings.className = "meanings";
      for (const meaning of token.meanings) {
        const line = this.document.createElement("li");
        line.append(this.span("meaning-text", meaning.text), " — " + typeName(meaning.type));
        if (meaning.keys) line.append(", ключи ", this.span("meaning-keys", meaning.keys));
        line.append(this.span("meaning-weight", "вес " + meaning.weight));
        meanings.append(line);
      }
      item.append(meanings);
      tokens.append(item);
    }
    card.append(tokens);
    if (reading.errors.length > 0) {
      const errors = this.document.createElement("ul");
      errors.className = "reading-errors";
      errors.setAttribute("aria-label", "Ошибки прочтения");
      for (const error of reading.errors) {
        const line = this.document.createElement("li");
        line.textContent = `${error.text} (вес ${error.weight}${error.mark === "видна" ? ", её видит игрок" : ""})`;
        errors.append(line);
      }
      card.append(this.paragraph("reading-errors-title", "Ошибки:"), errors);
    }
    return card;
  }

  // The words of a command run as game code: each token's text in quotes,
  // the words and objects it named with their types.
  showCommandWords(rows) {
    const words = objectTree([[0, "context", "global", ""], ...rows]).map((node) =>
      node.type === "string" ? `«${node.name}»` : `${node.name} (${typeName(node.type)})`);
    const line = this.find("command-words");
    line.textContent = "Команда выполнена как код. Её слова: " + words.join(", ") + ".";
    line.hidden = words.length === 0;
  }

  // ---- The map ----

  showMap(planes) {
    try {
      this.planes = mapPlanes(planes);
    } catch {
      }
    const box = this.find("map");
    box.replaceChildren();
    for (const plane of this.planes) {
      const figure = this.document.createElement("figure");
      figure.className = "map-plane";
      const caption = this.document.createElement("figcaption");
      caption.textContent = plane.name === "" ? "Места без плана" : "План «" + plane.name + "»";
      figure.append(caption);
      const levels = layOutPlane(plane);
      for (const level of levels) {
        if (levels.length > 1) figure.append(this.paragraph("map-level-name", "Уровень " + level.z));
        const scroller = this.document.createElement("div");
        scroller.className = "map-scroller";
        scroller.append(drawLevel(this.document, level));
        figure.append(scroller);
        for (const cell of level.cells.filter((shared) => shared.names.length > 1)) {
          const list = this.paragraph("map-crowd", "");
          list.dataset.caption = `В одной клетке (${cell.gridX}, ${cell.gridY}): `;
          list.dataset.names = JSON.stringify(cell.names);
          figure.append(list);
        }
      }
      box.append(figure);
    }
    this.find("map-empty").textContent = "В игре нет мест.";
    this.find("map-empty").hidden = planes.length > 0;
    this.markHere();
  }

  markHere() {
    const isHere = (name) => this.here !== null && sameName(name, this.here);
    for (const svg of this.document.querySelectorAll("#map svg")) markPlace(svg, isHere);
    for (const list of this.document.querySelectorAll("#map .map-crowd")) {
      const names = JSON.parse(list.dataset.names);
      list.replaceChildren(list.dataset.caption);
      names.forEach((name, index) => {
        list.append(isHere(name) ? this.span("map-here", name + " (вы здесь)") : name, index + 1 < names.length ? ", " : ".");
      });
    }
  }

  // ---- Small builders ----

  button(className, text) {
    const button = this.document.createElement("button");
    button.type = "button";
    button.className = className;
    button.textContent = text;
    return button;
  }

  span(className, text) {
    const span = this.document.createElement("span");
    if (className) span.className = className;
    span.textContent = text;
    return span;
  }

  paragraph(className, text) {
    const paragraph = this.document.createElement("p");
    paragraph.className = className;
    paragraph.textContent = text;
    return paragraph;
  }
}

// The engine's "error: ..." answers, told as sentences.
function readableError(text) {
  const message = text.replace(/^error:\s*/, "");
  return message.charAt(0).toUpperCase() + message.slice(1);
}

// The player's place is kept for this tab, like the story.
function remembered(key) {
  try {
    return sessionStorage.getItem(key);
  } catch {
    return null;
  }
}

function remember(key, value) {
  try {
    if (value) sessionStorage.setItem(key, value);
    else sessionStorage.removeItem(key);
  } catch {
    // Not kept: the next turn brings the tree anyway.
  }
}

function start() {
  const address = location.pathname;
  let idePoller = null;
  const queue = new CommandQueue(async (command) => {
    await sendCommand(command, address);
    idePoller.hurry();
  });
  const author = new AuthorPage(document, queue);
  idePoller = new UpdatePoller(address, (reply) => {
    queue.settled();
    author.handle(reply);
  }, undefined, "updide");
  const game = new GamePage(document, {
    deliver: async (command) => {
      await queue.player(command);
      author.afterCommand();
    },
    onReply: () => idePoller.hurry(),
  });
  game.start();
  author.start();
  idePoller.start();
}

start();
