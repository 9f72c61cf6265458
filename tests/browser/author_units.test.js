// The author's page's logic that needs no browser: reading the engine's
// replies, the highlighter, the map's layout and the command queue.

import assert from "node:assert/strict";
import { describe, it } from "node:test";

import { CommandQueue } from "../../site/js/command_queue.js";
import { highlightPieces } from "../../site/js/highlight.js";
import { classTree, mapPlanes, methodNames, objectTree, propertyRows, sameName, syntaxRecords } from "../../site/js/ide_replies.js";
import { countPlaces, layOutPlane, neighbours, STEP } from "../../site/js/map_view.js";

const names = (nodes) => nodes.map((node) => [node.name, names(node.children)]);

describe("reading the engine's replies", () => {
  it("nests the object tree by depth and drops the leading context row", () => {
    const tree = objectTree([[0, "context", "global", ""], [1, "location", "Кухня", ""], [2, "object", "стол", "внутр."],
      [3, "object", "лампа", "внеш."], [3, "object", "книга", "внеш."], [2, "object", "игрок", "внутр."],
      [2, "location", "Сад", ""]]);
    assert.deepEqual(names(tree), [["Кухня", [["стол", [["лампа", []], ["книга", []]]], ["игрок", []], ["Сад", []]]]]);
    assert.equal(tree[0].children[0].children[0].relation, "внеш.");
    assert.deepEqual(objectTree([[0, "context", "global", ""]]), [], "an unknown place gives an empty tree");
  });

  it("nests the class tree and keeps the mark of a chain cut off", () => {
    const tree = classTree([{ Deep: 0, Type: "object", Name: "лампа" }, { Deep: 1, Type: "class", Name: "@светильник" },
      { Deep: 2, Type: "class", Name: "@предмет" }, { Deep: 1, Type: "class", Name: "@вещь" }, { Error: "Deep" }]);
    assert.deepEqual(names(tree), [["лампа", [["@светильник", [["@предмет", []]]], ["@вещь", [[undefined, []]]]]]]);
    assert.equal(tree[0].children[1].children[0].cutOff, true);
    assert.deepEqual(classTree([]), []);
  });

  it("reads property rows, exits with their texts, and methods without a value", () => {
    const rows = propertyRows([["sys", "type", "string", "", "", "location"], ["sys", "север", "course", "", "", "Сад", "--", "дверь заперта"],
      ["prp", "осмотр", "calc", "Кухня", ""], ["var", "вес", "number", "@предмет", "@предмет", "3"]]);
    assert.deepEqual(rows[1].exit, { target: "Сад", text: "--", blocked: "дверь заперта" });
    assert.equal(rows[0].exit, undefined);
    assert.equal(rows[2].value, "");
    assert.deepEqual([rows[3].kind, rows[3].holder, rows[3].value], ["var", "@предмет", "3"]);
  });

  it("reads readings: the chosen one, tokens with their meanings and keys, uncertain tokens, errors", () => {
    const [chosen, other] = syntaxRecords([
      ["игрок", "-", "-", "выбрано", 12, 0, ["возьми", [20, "word", "возьми", "#гл"]],
        ["лампу?", [20, "word", "лампа", "#сущВн"], [20, "object", "лампа", "#сущВн"]]],
      ["игрок", "-", "-", false, false, false, ["возьми лампу", [100, "bool", "ошибка", "#"]],
        ["ошибки:", [50, "не понял, что взять", "видна"], [10, "мелочь", ""]]]]);
    assert.equal(chosen.chosen, true);
    assert.deepEqual([chosen.score, chosen.weight], [12, 0]);
    assert.deepEqual(chosen.tokens.map((token) => [token.text, token.uncertain]), [["возьми", false], ["лампу", true]]);
    assert.deepEqual(chosen.tokens[1].meanings[1], { weight: 20, type: "object", text: "лампа", keys: "сущВн" });
    assert.equal(chosen.errors.length, 0);
    assert.equal(other.chosen, false);
    assert.equal(other.tokens[0].meanings[0].keys, "");
    assert.deepEqual(other.errors, [{ weight: 50, text: "не понял, что взять", mark: "видна" }, { weight: 10, text: "мелочь", mark: "" }]);
  });

  it("reads the map's planes from the strings they travel in", () => {
    const [house, cellar] = mapPlanes([["дом", "[0,2,0,1,0,0]", '[["Кухня",0,0,0],["Сад",2,1,0]]'],
      ["подвал", "[0,0,0,0,-1,-1]", '[["Погреб",0,0,-1]]']]);
    assert.deepEqual(house.bounds, { minX: 0, maxX: 2, minY: 0, maxY: 1, minZ: 0, maxZ: 0 });
    assert.deepEqual(house.places[1], { name: "Сад", x: 2, y: 1, z: 0 });
    assert.deepEqual(cellar.places, [{ name: "Погреб", x: 0, y: 0, z: -1 }]);
    assert.throws(() => mapPlanes([["дом", "[0,", "[]"]]), SyntaxError);
  });

  it("finds method names as the engine finds their headers", () => {
    const code = "описание = \"x\"\r\n-- _enter --\r\nreturn ok\n== осмотр двери ==\n**\n-\n--\n=-= смесь\n** _enter **\n*** звёзды ***";
    assert.deepEqual(methodNames(code), ["_enter", "осмотр_двери", "звёзды"]);
    assert.deepEqual(methodNames(""), []);
  });

  it("compares names as the engine does", () => {
    assert.equal(sameName("Ёлка", "елка"), true);
    assert.equal(sameName("Кухня", "кухни"), false);
  });
});

describe("highlighting game code", () => {
  const kinds = (code) => highlightPieces(code).filter((piece) => piece.kind !== "").map((piece) => [piece.kind, piece.text]);

  it("gives back the source exactly when the pieces are joined", () => {
    const code = "-- _enter --\r\n  if (this != галерея) маяк inside this // море\n  x = \"a \\\"b\\\" c\" + 42\n% «текст»";
    assert.equal(highlightPieces(code).map((piece) => piece.text).join(""), code);
  });

  it("marks keywords in both languages, strings with escapes, comments, numbers, references and headers", () => {
    assert.deepEqual(kinds('если (x) возвратить ok // конец'), [["keyword", "если"], ["keyword", "возвратить"], ["keyword", "ok"], ["comment", "// конец"]]);
    assert.deepEqual(kinds('s = "он сказал \\"да\\"" + 12'), [["string", '"он сказал \\"да\\""'], ["number", "12"]]);
    assert.deepEqual(kinds("@светильник $стоять лампа2 x12"), [["reference", "@светильник"], ["reference", "$стоять"]]);
    assert.deepEqual(kinds("north = северо-восток"), [["keyword", "north"], ["keyword", "северо-восток"]]);
    assert.deepEqual(kinds("== осмотр ==\nIF"), [["header", "== осмотр =="], ["keyword", "IF"]]);
    assert.deepEqual(kinds("x == y\n  -- отступ --"), [], "headers start their line; == inside is an operator");
  });

  it("keeps a string that is never closed and a comment mark inside a string", () => {
    assert.deepEqual(kinds('"a // b" "незакрыта'), [["string", '"a // b"'], ["string", '"незакрыта']]);
  });
});

describe("the map's layout", () => {
  const plane = {
    name: "дом",
    bounds: { minX: -1, maxX: 1, minY: 0, maxY: 2, minZ: 0, maxZ: 1 },
    places: [{ name: "Кухня", x: 0, y: 0, z: 0 }, { name: "Коридор", x: 0, y: 1, z: 0 }, { name: "Сад", x: 1, y: 2, z: 0 },
      { name: "Чердак", x: -1, y: 2, z: 1 }, { name: "Чулан", x: 0, y: 1, z: 0 }],
  };
  const at = (level, name) => level.cells.find((cell) => cell.names.includes(name));

  it("puts places to scale, north up, one drawing per level, the highest first", () => {
    const [upper, ground] = layOutPlane(plane);
    assert.deepEqual([upper.z, ground.z], [1, 0]);
    assert.deepEqual([ground.width, ground.height], [3 * STEP, 3 * STEP], "the same bounds for every level");
    assert.deepEqual([at(ground, "Кухня").cx, at(ground, "Кухня").cy], [1.5 * STEP, 2.5 * STEP]);
    assert.deepEqual([at(ground, "Коридор").cx, at(ground, "Коридор").cy], [1.5 * STEP, 1.5 * STEP]);
    assert.deepEqual([at(ground, "Сад").cx, at(ground, "Сад").cy], [2.5 * STEP, 0.5 * STEP]);
    assert.deepEqual(upper.cells.map((cell) => cell.names), [["Чердак"]]);
  });

  it("puts places of one cell together, and joins grid neighbours across and up only", () => {
    const [, ground] = layOutPlane(plane);
    assert.deepEqual(at(ground, "Чулан").names, ["Коридор", "Чулан"]);
    assert.equal(ground.cells.length, 3);
    assert.deepEqual(neighbours(ground.cells).map(([a, b]) => [a.names[0], b.names[0]]), [["Кухня", "Коридор"]]);
  });

  it("counts places in good Russian", () => {
    assert.deepEqual([1, 2, 4, 5, 11, 12, 14, 17, 21, 22, 25, 101, 111, 112].map(countPlaces),
      ["1 место", "2 места", "4 места", "5 мест", "11 мест", "12 мест", "14 мест", "17 мест", "21 место", "22 места",
        "25 мест", "101 место", "111 мест", "112 мест"]);
  });
});

describe("the author's command queue", () => {
  // Timers run by hand; deliveries are recorded and resolve at once.
  function queueWithLog({ failing = new Set() } = {}) {
    const sent = [];
    const timers = { pending: [], setTimeout(run) { this.pending.push(run); return this.pending.length; }, clearTimeout(id) { this.pending[id - 1] = null; } };
    const queue = new CommandQueue(async (command) => {
      sent.push(command);
      if (failing.has(command)) throw new Error("нет связи");
    }, { timers });
    const flush = () => new Promise((resolve) => setImmediate(resolve));
    return { queue, sent, timers, flush };
  }

  it("sends one command at a time, the player's before the page's queries, and each query once", async () => {
    const { queue, sent, flush } = queueWithLog();
    queue.query("ide=map");
    assert.equal(queue.query("ide=syntax"), true);
    assert.equal(queue.query("ide=syntax"), false, "a query already waiting is not repeated");
    const delivered = queue.player("север");
    await flush();
    assert.deepEqual(sent, ["ide=map"], "nothing more before an answer");
    queue.settled();
    await delivered;
    assert.deepEqual(sent, ["ide=map", "север"], "the player's command went before the waiting query");
    queue.settled();
    await flush();
    assert.deepEqual(sent, ["ide=map", "север", "ide=syntax"]);
    queue.settled();
    queue.settled();
    await flush();
    assert.equal(sent.length, 3, "answers with nothing waiting send nothing");
    assert.equal(queue.query("ide=syntax"), true, "a query sent before may be asked again");
    await flush();
    assert.deepEqual(sent, ["ide=map", "север", "ide=syntax", "ide=syntax"]);
  });

  it("goes on after a while without an answer, and after a failed delivery", async () => {
    const { queue, sent, timers, flush } = queueWithLog({ failing: new Set(["ide=map"]) });
    queue.query("ide=map");
    await queue.player("смотри");
    assert.deepEqual(sent, ["ide=map", "смотри"], "the failed query did not hold the queue");
    queue.query("ide=syntax");
    await flush();
    assert.deepEqual(sent, ["ide=map", "смотри"]);
    timers.pending.filter(Boolean).at(-1)();
    await flush();
    assert.deepEqual(sent, ["ide=map", "смотри", "ide=syntax"], "patience ran out: the next one goes");
  });

  it("asks an unanswered query once more, but never sends a player's command twice", async () => {
    const { queue, sent, timers, flush } = queueWithLog();
    queue.query("ide=objtree=чулан");
    queue.query("ide=map");
    await flush();
    timers.pending.filter(Boolean).at(-1)();
    await flush();
    assert.deepEqual(sent, ["ide=objtree=чулан", "ide=objtree=чулан"], "the query went again before the next");
    timers.pending.filter(Boolean).at(-1)();
    await flush();
    assert.deepEqual(sent, ["ide=objtree=чулан", "ide=objtree=чулан", "ide=map"], "only once more");
    queue.settled();
    const delivered = queue.player("север");
    await delivered;
    timers.pending.filter(Boolean).at(-1)();
    await flush();
    assert.equal(sent.filter((command) => command === "север").length, 1);
  });

  it("rejects a player's command that could not be delivered", async () => {
    const { queue } = queueWithLog({ failing: new Set(["север"]) });
    await assert.rejects(queue.player("север"), /нет связи/);
  });
});
