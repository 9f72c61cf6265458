// The catalogue page: the server writes each group's name as bare text before
// its list of games; here it becomes a heading, so the groups can be seen and
// reached by a screen reader's heading keys. Below, how many play right now.

function headGroups(list) {
  for (const node of [...list.childNodes]) {
    if (node.nodeType !== Node.TEXT_NODE || node.nodeValue.trim() === "") continue;
    const heading = document.createElement(list.querySelector("ul") ? "h2" : "p");
    heading.textContent = node.nodeValue.trim();
    node.replaceWith(heading);
  }
}

async function showStatistics(line) {
  try {
    const response = await fetch("?site=info", { cache: "no-store" });
    if (response.ok) line.textContent = (await response.text()).trim();
  } catch {
    // Statistics are a courtesy; the catalogue works without them.
  }
}

headGroups(document.getElementById("games"));
showStatistics(document.getElementById("statistics"));
