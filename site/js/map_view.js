// The map of one plane drawn to scale: every grid step is the same length
// across and up, north is up, and each level (z) of the plane gets a
// drawing of its own, the highest first. Places that share a cell (a game
// that never placed its locations has them all at 0, 0, 0) share one box,
// which counts them; the page lists their names.

const SVG = "http://www.w3.org/2000/svg";
export const STEP = 100;       // one grid step, in drawing units
const BOX = { width: 86, height: 46 };
const LONG_NAME = 11;          // characters that fit a box at the normal size

// Levels of the plane, each with its cells: the names of the places in the
// cell and its centre in drawing units.
export function layOutPlane(plane) {
  const { minX, maxX, minY, maxY } = plane.bounds;
  const levels = [...new Set(plane.places.map((place) => place.z))].sort((a, b) => b - a);
  return levels.map((z) => {
    const cells = new Map();
    for (const place of plane.places.filter((candidate) => candidate.z === z)) {
      const key = place.x + "," + place.y;
      if (!cells.has(key)) {
        cells.set(key, {
          names: [],
          cx: (place.x - minX + 0.5) * STEP,
          cy: (maxY - place.y + 0.5) * STEP,
          gridX: place.x,
          gridY: place.y,
        });
      }
      cells.get(key).names.push(place.name);
    }
    return { z, width: (maxX - minX + 1) * STEP, height: (maxY - minY + 1) * STEP, cells: [...cells.values()] };
  });
}

// Pairs of cells one step apart across or up: the grid joins them unless an
// exit says otherwise.
export function neighbours(cells) {
  const pairs = [];
  cells.forEach((a, i) => cells.slice(i + 1).forEach((b) => {
    if (Math.abs(a.gridX - b.gridX) + Math.abs(a.gridY - b.gridY) === 1) pairs.push([a, b]);
  }));
  return pairs;
}

// "3 места", "5 мест", "21 место".
export function countPlaces(count) {
  const tens = count % 100;
  const ones = count % 10;
  if (ones === 1 && tens !== 11) return count + " место";
  if (ones >= 2 && ones <= 4 && (tens < 12 || tens > 14)) return count + " места";
  return count + " мест";
}

function make(document, tag, attributes = {}) {
  const element = document.createElementNS(SVG, tag);
  for (const [name, value] of Object.entries(attributes)) element.setAttribute(name, String(value));
  return element;
}

// An SVG of one level, every cell a box with its place's name or the count
// of its places.
export function drawLevel(document, level) {
  const svg = make(document, "svg", {
    viewBox: `0 0 ${level.width} ${level.height}`,
    width: level.width,
    class: "map-level",
    role: "img",
  });
  for (const [a, b] of neighbours(level.cells)) {
    svg.append(make(document, "line", { x1: a.cx, y1: a.cy, x2: b.cx, y2: b.cy, class: "map-way" }));
  }
  for (const cell of level.cells) {
    const alone = cell.names.length === 1;
    const group = make(document, "g", {
      class: alone ? "map-place" : "map-place crowded",
      "data-names": JSON.stringify(cell.names),
      "data-cx": cell.cx,
      "data-cy": cell.cy,
    });
    if (alone) group.dataset.name = cell.names[0];
    group.append(make(document, "rect", {
      x: cell.cx - BOX.width / 2, y: cell.cy - BOX.height / 2, width: BOX.width, height: BOX.height, rx: 6,
    }));
    const text = alone ? cell.names[0] : countPlaces(cell.names.length);
    const label = make(document, "text", { x: cell.cx, y: cell.cy + 5, "text-anchor": "middle" });
    if (text.length > LONG_NAME) {
      label.setAttribute("textLength", BOX.width - 8);
      label.setAttribute("lengthAdjust", "spacingAndGlyphs");
    }
    label.textContent = text;
    group.append(label);
    svg.append(group);
  }
  markPlace(svg, () => false);
  return svg;
}

// Marks the cell of the player's place (isHere tells it by name) and says
// so to screen readers; any earlier mark goes.
export function markPlace(svg, isHere) {
  const told = [];
  for (const group of svg.querySelectorAll(".map-place")) {
    const names = JSON.parse(group.dataset.names);
    const here = names.some(isHere);
    group.classList.toggle("here", here);
    group.querySelector(".map-marker")?.remove();
    if (here) {
      group.append(make(svg.ownerDocument, "circle", {
        cx: Number(group.dataset.cx) + BOX.width / 2 - 4,
        cy: Number(group.dataset.cy) - BOX.height / 2 + 4,
        r: 7,
        class: "map-marker",
      }));
    }
    told.push(...names.map((name) => (isHere(name) ? `${name} (вы здесь)` : name)));
  }
  svg.setAttribute("aria-label", "Места: " + told.join(", "));
}
