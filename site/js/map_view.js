// The map of one plane drawn to scale: every grid step is the same length
// across and up, north is up, and each level (z) of the plane gets a
// drawing of its own, the highest first.

const SVG = "http://www.w3.org/2000/svg";
export const STEP = 100;       // one grid step, in drawing units
const BOX = { width: 86, height: 46 };
const LONG_NAME = 11;          // characters that fit a box at the normal size

// Levels of the plane with the places' centres in drawing units.
export function layOutPlane(plane) {
  const { minX, maxX, minY, maxY } = plane.bounds;
  const levels = [...new Set(plane.places.map((place) => place.z))].sort((a, b) => b - a);
  return levels.map((z) => ({
    z,
    width: (maxX - minX + 1) * STEP,
    height: (maxY - minY + 1) * STEP,
    places: plane.places.filter((place) => place.z === z).map((place) => ({
      name: place.name,
      cx: (place.x - minX + 0.5) * STEP,
      cy: (maxY - place.y + 0.5) * STEP,
      gridX: place.x,
      gridY: place.y,
    })),
  }));
}

// Pairs of places one step apart across or up: the grid joins them unless an
// exit says otherwise.
export function neighbours(places) {
  const pairs = [];
  places.forEach((a, i) => places.slice(i + 1).forEach((b) => {
    if (Math.abs(a.gridX - b.gridX) + Math.abs(a.gridY - b.gridY) === 1) pairs.push([a, b]);
  }));
  return pairs;
}

function make(document, tag, attributes = {}) {
  const element = document.createElementNS(SVG, tag);
  for (const [name, value] of Object.entries(attributes)) element.setAttribute(name, String(value));
  return element;
}

// An SVG of one level, every place a box with its name.
export function drawLevel(document, level) {
  const svg = make(document, "svg", {
    viewBox: `0 0 ${level.width} ${level.height}`,
    width: level.width,
    class: "map-level",
    role: "img",
  });
  for (const [a, b] of neighbours(level.places)) {
    svg.append(make(document, "line", { x1: a.cx, y1: a.cy, x2: b.cx, y2: b.cy, class: "map-way" }));
  }
  for (const place of level.places) {
    const group = make(document, "g", { class: "map-place", "data-name": place.name, "data-cx": place.cx, "data-cy": place.cy });
    group.append(make(document, "rect", {
      x: place.cx - BOX.width / 2, y: place.cy - BOX.height / 2, width: BOX.width, height: BOX.height, rx: 6,
    }));
    const label = make(document, "text", { x: place.cx, y: place.cy + 5, "text-anchor": "middle" });
    if (place.name.length > LONG_NAME) {
      label.setAttribute("textLength", BOX.width - 8);
      label.setAttribute("lengthAdjust", "spacingAndGlyphs");
    }
    label.textContent = place.name;
    group.append(label);
    svg.append(group);
  }
  markPlace(svg, () => false);
  return svg;
}

// Marks the player's place (isHere tells it by name) and says so to screen
// readers; any earlier mark goes.
export function markPlace(svg, isHere) {
  const names = [];
  for (const group of svg.querySelectorAll(".map-place")) {
    const here = isHere(group.dataset.name);
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
    names.push(here ? `${group.dataset.name} (вы здесь)` : group.dataset.name);
  }
  svg.setAttribute("aria-label", "Места: " + names.join(", "));
}
