// Game-language source cut into coloured pieces: keywords (English and
// Russian), strings, comments, numbers, class and word references, and the
// header lines that open a method. Anything else stays plain, so joining the
// pieces gives back the source exactly.

const KEYWORDS = new Set(`
  bool булево number число keyword спецслово string строка course направление
  object объект attribute признак relation отношение act акт class класс
  location локация word слово preposition предлог context контекст null пусто
  type тип name имя key клч lenght длина comment комментарий position позиция
  opened откр transparent проз defkey ключ_по_умолчанию any любое
  pos_x позиция_икс pos_y позиция_игрек pos_z позиция_зет
  no нет unclear непонятно unknown неизвестно illegal нельзя fail ошибка yes да ok ок
  up вверх down вниз north север south юг east восток west запад
  northeast северо-восток northwest северо-запад southeast юго-восток southwest юго-запад
  expression выражение action действие fact факт this self exits выходы pers перс
  actor актор speaker говорящий addressee адресат count счётчик synonym синоним
  if если else иначе for цикл switch case break прервать continue продолжить
  var переменная prp свойство tmp шаблон delete удалить return возвратить
  check проверка goto иди_в plane план not не is это like подобно
  above выше below ниже north_of севернее south_of южнее east_of восточнее west_of западнее
  or или and и inside внутри outside снаружи part часть include
`.trim().split(/\s+/));

const WORD = /^[@$]?[A-Za-z_\u0400-\u04FF][A-Za-z0-9_\u0400-\u04FF]*(?:-[A-Za-z\u0400-\u04FF][A-Za-z0-9_\u0400-\u04FF]*)*/;
const NUMBER = /^\d+/;
const HEADER = /^([=*-])\1.*$/;

// Pieces {kind, text}; kind is "keyword", "string", "comment", "number",
// "reference", "header" or "" for plain text.
export function highlightPieces(code) {
  const pieces = [];
  const add = (kind, text) => {
    const last = pieces[pieces.length - 1];
    if (last && last.kind === kind && kind === "") last.text += text;
    else pieces.push({ kind, text });
  };
  let lineStart = true;
  let i = 0;
  while (i < code.length) {
    const rest = code.slice(i);
    const header = lineStart ? isHeader(rest) : null;
    let kind = "";
    let text;
    if (header) {
      kind = "header";
      text = header;
    } else if (rest.startsWith("//")) {
      kind = "comment";
      text = rest.match(/^\/\/[^\r\n]*/)[0];
    } else if (rest[0] === '"') {
      kind = "string";
      text = quoted(rest);
    } else if (NUMBER.test(rest) && !/[\w\u0400-\u04FF]/.test(code[i - 1] ?? "")) {
      kind = "number";
      text = rest.match(NUMBER)[0];
    } else if (WORD.test(rest)) {
      text = rest.match(WORD)[0];
      if (text[0] === "@" || text[0] === "$") kind = "reference";
      else if (KEYWORDS.has(text.toLowerCase())) kind = "keyword";
    } else {
      text = rest[0];
    }
    add(kind, text);
    i += text.length;
    lineStart = text.endsWith("\n") || text.endsWith("\r");
  }
  return pieces;
}

// A header line as the engine finds methods: at least three characters,
// two equal marks first and something else after them.
function isHeader(rest) {
  const line = rest.match(/^[^\r\n]*/)[0];
  if (line.length < 3 || !HEADER.test(line)) return null;
  return line.split(line[0]).join("").trim() === "" ? null : line;
}

// A string up to its closing quote; a backslash escapes the next character.
function quoted(rest) {
  let end = 1;
  while (end < rest.length && rest[end] !== '"') end += rest[end] === "\\" ? 2 : 1;
  return rest.slice(0, Math.min(end + 1, rest.length));
}

// Fills an element with the highlighted code, every piece as text.
export function showHighlighted(element, code) {
  const document = element.ownerDocument;
  element.replaceChildren(...highlightPieces(code).map(({ kind, text }) => {
    if (kind === "") return document.createTextNode(text);
    const span = document.createElement("span");
    span.className = "code-" + kind;
    span.textContent = text;
    return span;
  }));
}
