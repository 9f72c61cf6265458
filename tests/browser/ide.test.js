// The author's page against webkiv with the editor option, in headless
// Chromium: the object tree of the player's place, a chosen object's
// classes, properties and code, a method's code, the readings of the last
// command, the map, a dictionary article, and playing meanwhile; and the
// player's page, with the option off, without any of it.

import assert from "node:assert/strict";
import { after, before, describe, it } from "node:test";

import { chromium } from "playwright-core";

import { startSite } from "./test_site.js";

const CHROMIUM = process.env.KIV_CHROMIUM || "/usr/bin/chromium";
const REPLY_TIME = 15000;  // generous: the sanitizer build answers slowly

// The corridor lies north of the kitchen on the map; the lamp gets a
// method; two global variables.
const GAME_TAIL = `
var очки = 5
var надпись = "Трактир «У моря»"

location коридор {
  this north_of кухня
}

лампа {
-- _проверить_фитиль --
  // Фитиль ещё цел.
  return ok
}
`;

let site;
let browser;

before(async () => {
  site = await startSite({ editor: true, gameTail: GAME_TAIL });
  browser = await chromium.launch({ executablePath: CHROMIUM, args: ["--no-sandbox"] });
});

after(async () => {
  await browser?.close();
  await site?.stop();
});

async function openAuthorPage(options = {}) {
  const context = await browser.newContext(options);
  const page = await context.newPage();
  page.errors = [];
  page.on("pageerror", (error) => page.errors.push(error.message));
  await page.goto(site.address + "/games/test.kiv");
  await treeItem(page, "кухня").waitFor({ timeout: REPLY_TIME });
  await page.locator("#story .reply").first().waitFor({ timeout: REPLY_TIME });
  return page;
}

async function closePage(page) {
  assert.deepEqual(page.errors, [], "the page raised no script errors");
  await page.context().close();
}

function treeItem(page, name) {
  return page.locator(`#object-tree .tree-item[data-name="${name}"]`);
}

// Whether the arrow before an item says that its contents are shown.
function expanded(item) {
  return item.locator(":scope > .tree-row > .twisty").getAttribute("aria-expanded");
}

async function send(page, command) {
  const replies = await page.locator("#story .reply").count();
  await page.locator("#command").fill(command);
  await page.locator("#command").press("Enter");
  const reply = page.locator("#story .reply").nth(replies);
  await reply.waitFor({ timeout: REPLY_TIME });
  return reply;
}

async function goNorth(page) {
  await send(page, "открой дверь");
  await send(page, "север");
  await treeItem(page, "коридор").waitFor({ timeout: REPLY_TIME });
}

async function choose(page, name) {
  await page.locator("#object-tree .object-name", { hasText: name }).first().click();
}

describe("the author's page", () => {
  it("shows the objects of the player's place, expandable, follows a move and a reload", async () => {
    const page = await openAuthorPage();
    const kitchen = treeItem(page, "кухня");
    assert.equal(await expanded(kitchen), "true", "the place itself is open");
    for (const name of ["лампа", "дверь", "герой"]) {
      await kitchen.locator(`[data-name="${name}"]`).waitFor({ timeout: 3000 });
    }
    await goNorth(page);
    assert.equal(await treeItem(page, "кухня").count(), 0, "the kitchen is gone with the move");
    const chest = treeItem(page, "сундук");
    const coin = chest.locator('[data-name="монета"]');
    assert.equal(await expanded(chest), "false", "contents start closed");
    assert.equal(await coin.isVisible(), false);
    await chest.locator(".twisty").first().click();
    assert.equal(await coin.isVisible(), true, "opening the chest shows the coin");
    assert.equal(await expanded(chest), "true");
    await send(page, "смотри");
    await treeItem(page, "сундук").locator('[data-name="монета"]').waitFor({ state: "visible", timeout: REPLY_TIME });
    await page.reload();
    await treeItem(page, "сундук").waitFor({ timeout: REPLY_TIME });
    assert.equal(await expanded(treeItem(page, "сундук")), "false", "a reload asks for the tree again");
    await closePage(page);
  });

  it("shows a chosen object's classes, properties and highlighted code, and a method's code", async () => {
    const page = await openAuthorPage();
    await choose(page, "лампа");
    await page.locator("#chosen-name", { hasText: "лампа" }).waitFor();
    await page.locator("#class-tree .object-name", { hasText: "@светильник" }).waitFor({ timeout: REPLY_TIME });
    const description = page.locator("#properties tbody tr", { hasText: "описание" });
    await description.waitFor({ timeout: REPLY_TIME });
    assert.match(await description.innerText(), /Медная керосиновая лампа\./);
    assert.match(await page.locator("#properties").innerText(), /строка/, "types in the game's own Russian names");
    const code = page.locator("#object-code");
    await code.filter({ hasText: "Медная керосиновая лампа" }).waitFor({ timeout: REPLY_TIME });
    assert.equal(await code.locator(".code-string", { hasText: "Медная керосиновая лампа." }).count(), 1);
    assert.ok(await code.locator(".code-reference", { hasText: "@светильник" }).count() >= 1);
    assert.equal(await code.locator(".code-header", { hasText: "_проверить_фитиль" }).count(), 1);
    assert.doesNotMatch(await page.locator("#ide").innerText(), /[[{]"/, "no raw JSON is shown");

    await page.locator("#methods button", { hasText: "_проверить_фитиль" }).click();
    const method = page.locator("#method-code");
    await method.filter({ hasText: "return ok" }).waitFor({ timeout: REPLY_TIME });
    assert.equal(await method.locator(".code-keyword", { hasText: "return" }).count(), 1);
    assert.equal(await method.locator(".code-comment", { hasText: "Фитиль ещё цел." }).count(), 1);
    assert.doesNotMatch(await method.innerText(), /описание/, "only the method, not the whole code");

    // A method written in a class, from the property list.
    await page.locator("#properties tbody tr", { hasText: "подробности" }).getByRole("button", { name: /Показать код/ }).click();
    await page.locator("#method-title", { hasText: "из светильник" }).waitFor({ timeout: REPLY_TIME });
    await method.filter({ hasText: "подробности" }).waitFor({ timeout: REPLY_TIME });
    assert.equal(await method.evaluate((element) => element.classList.contains("ide-error")), false);

    await page.locator("#method-name").fill("нет_такого");
    await page.locator("#method-name").press("Enter");
    await method.filter({ hasText: "Такого метода у объекта нет." }).waitFor({ timeout: REPLY_TIME });
    await closePage(page);
  });

  it("lists the global variables and keeps a chosen object's properties up to date", async () => {
    const page = await openAuthorPage();
    await page.locator("#globals").click();
    const score = page.locator("#properties tbody tr", { hasText: "очки" });
    await score.waitFor({ timeout: REPLY_TIME });
    assert.match(await score.innerText(), /5\s+число/);
    assert.match(await page.locator("#properties tbody tr", { hasText: "надпись" }).innerText(), /Трактир «У моря»\s+строка/);

    await page.locator("#code-hint", { hasText: "Глобальный код после использования не сохраняется!" }).waitFor({ timeout: REPLY_TIME });
    await choose(page, "лампа");
    await page.locator("#properties tbody tr", { hasText: "описание" }).waitFor({ timeout: REPLY_TIME });
    await send(page, '/лампа.описание = "Потёртая медная лампа."');
    await page.locator("#properties tbody tr", { hasText: "Потёртая медная лампа." }).waitFor({ timeout: REPLY_TIME });
    await closePage(page);
  });

  it("shows the readings of the last command, its tokens and their meanings", async () => {
    const page = await openAuthorPage();
    await send(page, "возьми лампу");
    const words = page.locator("#syntax .reading.words");
    await words.waitFor({ timeout: REPLY_TIME });
    const tokens = await words.locator(".token-text").allInnerTexts();
    assert.deepEqual(tokens.map((token) => token.toLowerCase()), ["возьми", "лампу"], "the words as typed come first");
    assert.ok(await words.locator(".meanings li").count() >= 2, "every word has its meanings");
    assert.match(await words.innerText(), /объект/, "the lamp is read as the object too");
    const chosen = page.locator("#syntax .reading.chosen");
    assert.equal(await chosen.count(), 1, "one reading is chosen");
    assert.match(await chosen.innerText(), /Прочтение \d+ — выбрано/);
    assert.doesNotMatch(await page.locator("#syntax").innerText(), /[[{]"/, "no raw JSON is shown");

    await send(page, "/лампа.вес");
    const codeWords = page.locator("#command-words");
    await codeWords.waitFor({ timeout: REPLY_TIME });
    assert.match(await codeWords.innerText(), /лампа \(объект\)/);
    assert.match(await codeWords.innerText(), /«вес»/);
    await send(page, "съешь кочергу");
    await codeWords.waitFor({ state: "hidden", timeout: REPLY_TIME });
    await page.locator("#syntax .reading.words .token-text", { hasText: "кочергу" }).waitFor({ timeout: REPLY_TIME });
    await closePage(page);
  });

  it("draws the map to scale and moves the mark with the player", async () => {
    const page = await openAuthorPage();
    const kitchen = page.locator('#map .map-place[data-name="кухня"]');
    const corridor = page.locator('#map .map-place[data-name="коридор"]');
    await kitchen.waitFor({ timeout: REPLY_TIME });
    await page.waitForFunction(() => document.querySelector('#map .map-place[data-name="кухня"]')?.classList.contains("here"),
      null, { timeout: REPLY_TIME });
    assert.equal(await corridor.evaluate((place) => place.classList.contains("here")), false);
    const centre = (place) => place.evaluate((group) => [Number(group.dataset.cx), Number(group.dataset.cy)]);
    const [kitchenX, kitchenY] = await centre(kitchen);
    const [corridorX, corridorY] = await centre(corridor);
    assert.equal(corridorX, kitchenX, "north is straight up");
    assert.equal(kitchenY - corridorY, 100, "one step north is one step up the drawing");
    assert.equal(await page.locator("#map .map-marker").count(), 1, "one place is marked");
    await goNorth(page);
    await page.waitForFunction(() => document.querySelector('#map .map-place[data-name="коридор"]')?.classList.contains("here"),
      null, { timeout: REPLY_TIME });
    assert.equal(await kitchen.evaluate((place) => place.classList.contains("here")), false);
    assert.equal(await page.locator("#map .map-marker").count(), 1);
    assert.match(await page.locator("#map svg").first().getAttribute("aria-label"), /коридор \(вы здесь\)/);
    await closePage(page);
  });

  it("shows the dictionary article of a word typed in, and says when there is none", async () => {
    const page = await openAuthorPage();
    const article = page.locator("#article");
    await page.locator("#dictionary-word").fill("лампа");
    await page.locator("#dictionary-form button").click();
    await article.waitFor({ timeout: REPLY_TIME });
    await page.waitForFunction(() => document.getElementById("article").textContent.trim() !== "", null, { timeout: REPLY_TIME });
    assert.match(await article.innerText(), /лампа/i);
    await page.locator("#dictionary-word").fill("кврхщщ");
    await page.locator("#dictionary-word").press("Enter");
    await article.filter({ hasText: "Статья не найдена." }).waitFor({ timeout: REPLY_TIME });
    await closePage(page);
  });

  it("stays a game: a command typed while the panels ask their questions is answered", async () => {
    const page = await openAuthorPage();
    await choose(page, "лампа");
    const reply = await send(page, "/2+3");
    assert.equal((await reply.innerText()).trim(), "5");
    assert.equal(await page.evaluate(() => document.activeElement.id), "command");
    await page.locator("#object-code").filter({ hasText: "@светильник" }).waitFor({ timeout: REPLY_TIME });
    await closePage(page);
  });

  it("on a phone the panels follow the game, which keeps the screen", async () => {
    const page = await openAuthorPage({ viewport: { width: 360, height: 640 }, isMobile: true, hasTouch: true });
    const sizes = await page.evaluate(() => ({
      wide: document.documentElement.scrollWidth,
      commandBottom: document.getElementById("command-line").getBoundingClientRect().bottom,
      panelsTop: document.getElementById("ide").getBoundingClientRect().top,
    }));
    assert.ok(sizes.wide <= 360, `no sideways scrolling (${sizes.wide} px)`);
    assert.ok(sizes.commandBottom <= 640, "the command line is on the first screen");
    assert.ok(sizes.panelsTop >= sizes.commandBottom, "the panels come below the game");
    await goNorth(page);
    await page.locator("#ide").scrollIntoViewIfNeeded();
    assert.ok(await page.evaluate(() => document.documentElement.scrollWidth) <= 360);
    await closePage(page);
  });
});

describe("the player's page, editor off", () => {
  let plain;

  before(async () => {
    plain = await startSite();
  });

  after(async () => {
    await plain?.stop();
  });

  it("has no panels, asks nothing, and its server passes no queries to the game", async () => {
    const context = await browser.newContext();
    const page = await context.newPage();
    const asked = [];
    page.on("request", (request) => {
      if (/[?&](updide|cmd=ide)/.test(request.url())) asked.push(request.url());
    });
    await page.goto(plain.address + "/games/test.kiv");
    await page.waitForFunction(() => !document.getElementById("location").hidden, null, { timeout: REPLY_TIME });
    assert.equal(await page.locator("#ide, #object-tree, #map").count(), 0);
    await send(page, "/2+3");
    assert.deepEqual(asked, []);
    // Asked by hand, the query never reaches the engine.
    const answers = await page.evaluate(async () => {
      await fetch(location.pathname + "?cmd=" + encodeURIComponent("ide=code=лампа"));
      const bodies = [];
      for (let polls = 0; polls < 10; polls += 1) {
        await new Promise((resolve) => setTimeout(resolve, 200));
        bodies.push(await (await fetch(location.pathname + "?updide")).text());
      }
      return bodies.join("");
    });
    assert.equal(answers, "", "the author's channel stays silent: no code, not even the object tree of a turn");
    await context.close();
  });
});
