// The members of the engine's "updide" replies read into plain structures
// for the author's panels: trees from their depth-first rows, property rows,
// the readings of the last command, the planes of the map, and the methods
// named in an object's code.

// Rows [depth, type, name, relation] after the leading context row.
export function objectTree(rows) {
  const entries = rows.filter((row) => Array.isArray(row) && row[1] !== "context");
  return nest(entries.map(([depth, type, name, relation]) => ({ depth, type, name, relation, children: [] })));
}

// Records {Deep, Type, Name}; {Error: "Deep"} marks a chain cut off.
export function classTree(records) {
  let deepest = 0;
  const nodes = records.map((record) => {
    if (record.Error !== undefined) return { depth: deepest + 1, cutOff: true, children: [] };
    deepest = record.Deep;
    return { depth: record.Deep, type: record.Type, name: record.Name, children: [] };
  });
  return nest(nodes);
}

// An entry belongs to the nearest entry above it that lies one level higher.
function nest(nodes) {
  const roots = [];
  const open = [];
  for (const node of nodes) {
    while (open.length > 0 && open[open.length - 1].depth >= node.depth) open.pop();
    (open.length > 0 ? open[open.length - 1].children : roots).push(node);
    open.push(node);
  }
  return roots;
}

export function propertyRows(rows) {
  return rows.map(([kind, name, type, holder, owner, value, exitText, blockedText]) => {
    const row = { kind, name, type, holder, owner, value: value ?? "" };
    if (kind === "sys" && type === "course") row.exit = { target: value, text: exitText, blocked: blockedText };
    return row;
  });
}

// One record per reading: its three persons, whether the parser chose it,
// its tokens with their meanings, and its errors.
export function syntaxRecords(records) {
  return records.map((record) => {
    const [actor, speaker, addressee, description, score, weight, ...rest] = record;
    const reading = {
      persons: { actor, speaker, addressee },
      chosen: description !== false,
      description: description === false ? "" : String(description),
      score,
      weight,
      tokens: [],
      errors: [],
    };
    for (const item of rest) {
      if (item[0] === "ошибки:") {
        reading.errors = item.slice(1).map(([errorWeight, text, mark]) => ({ weight: errorWeight, text, mark }));
      } else {
        const [text, ...meanings] = item;
        reading.tokens.push({
          text: text.endsWith("?") ? text.slice(0, -1) : text,
          uncertain: text.endsWith("?"),
          meanings: meanings.map(([meaningWeight, type, meaningText, keys]) => ({
            weight: meaningWeight,
            type,
            text: meaningText,
            keys: String(keys).replace(/^#/, ""),
          })),
        });
      }
    }
    return reading;
  });
}

// Each plane's bounds and places travel as JSON inside strings.
export function mapPlanes(planes) {
  return planes.map(([name, boundsText, placesText]) => {
    const [minX, maxX, minY, maxY, minZ, maxZ] = JSON.parse(boundsText);
    const places = JSON.parse(placesText).map(([placeName, x, y, z]) => ({ name: placeName, x, y, z }));
    return { name, bounds: { minX, maxX, minY, maxY, minZ, maxZ }, places };
  });
}

// A method's header is a line of at least three characters that starts with
// "==", "--" or "**" and holds something else too; its name is the rest,
// trimmed, with spaces as underscores.
export function methodNames(code) {
  const names = [];
  for (const line of code.split(/\r\n|\r|\n/)) {
    const mark = line[0];
    if (line.length < 3 || !"=-*".includes(mark) || line[1] !== mark) continue;
    const name = line.split(mark).join("").trim().replaceAll(" ", "_");
    if (name !== "" && !names.includes(name)) names.push(name);
  }
  return names;
}

// Names are compared as the engine compares them: case aside, "ё" as "е".
export function sameName(a, b) {
  const plain = (name) => String(name).toLowerCase().replaceAll("ё", "е");
  return plain(a) === plain(b);
}
