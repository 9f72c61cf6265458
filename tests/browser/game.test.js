// The browser client against a running webkiv, in Debian's headless Chromium:
// the catalogue, starting a game from it, commands and their replies, the
// location, the history on the arrow keys, pauses, clears, drop caps, stress
// marks, reading aloud, a phone screen and the keyboard alone. Commands that
// begin with "/" run as game code, so a test can make the game print exactly
// the mark-up it needs.

import assert from "node:assert/strict";
import { after, before, describe, it } from "node:test";

import { chromium } from "playwright-core";

import { GAME_GROUP, GAME_TITLE, startSite } from "./test_site.js";

const CHROMIUM = process.env.KIV_CHROMIUM || "/usr/bin/chromium";
const REPLY_TIME = 10000;  // generous: the sanitizer build answers slowly

let site;
let browser;

before(async () => {
  site = await startSite();
  browser = await chromium.launch({ executablePath: CHROMIUM, args: ["--no-sandbox"] });
});

after(async () => {
  await browser?.close();
  await site?.stop();
});

// A fresh browser (its own cookie, so its own web session) on the game page,
// reached from the catalogue as a player would; page errors fail the test.
async function openGame(options = {}) {
  const context = await browser.newContext(options);
  const page = await context.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  page.errors = errors;
  await page.goto(site.address + "/");
  await page.getByRole("link", { name: GAME_TITLE }).click();
  await page.waitForURL(/\/games\/test\.kiv$/);
  await gameStarted(page);
  return page;
}

// The game's start has been shown: its location, its text, or both.
async function gameStarted(page) {
  await page.waitForFunction(() => !document.getElementById("location").hidden || document.querySelector("#story .reply"),
    null, { timeout: REPLY_TIME });
}

// Sends a command and returns its reply: the first reply not yet seen.
async function send(page, command) {
  await page.evaluate(() => document.querySelectorAll("#story .reply").forEach((reply) => { reply.dataset.seen = ""; }));
  await page.locator("#command").fill(command);
  await page.locator("#command").press("Enter");
  const reply = page.locator("#story .reply:not([data-seen])").first();
  await reply.waitFor({ timeout: REPLY_TIME });
  return reply;
}

function replyWith(page, text) {
  return page.locator("#story .reply").filter({ hasText: text });
}

async function closeGame(page) {
  assert.deepEqual(page.errors, [], "the page raised no script errors");
  await page.context().close();
}

describe("catalogue", () => {
  it("lists the game under its group, and tells how many play", async () => {
    const page = await browser.newPage();
    await page.goto(site.address + "/");
    await assert.doesNotReject(page.getByRole("heading", { name: GAME_GROUP }).waitFor({ timeout: 3000 }));
    const link = page.getByRole("link", { name: GAME_TITLE });
    assert.equal(await link.getAttribute("href"), "/games/test.kiv");
    await page.locator("#statistics").filter({ hasText: "Статистика: в данный момент" }).waitFor({ timeout: 3000 });
    assert.equal(await page.title(), "Игры — КИВ");
    await page.close();
  });

  it("is reached with the keyboard alone, and the game page takes the typing at once", async () => {
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(site.address + "/");
    const link = page.getByRole("link", { name: GAME_TITLE });
    for (let presses = 0; presses < 10 && !(await link.evaluate((element) => element === document.activeElement)); presses += 1) {
      await page.keyboard.press("Tab");
    }
    await page.keyboard.press("Enter");
    await page.waitForURL(/\/games\/test\.kiv$/);
    await gameStarted(page);
    assert.equal(await page.evaluate(() => document.activeElement.id), "command");
    const replies = await page.locator("#story .reply").count();
    await page.keyboard.type("/2+3");
    await page.keyboard.press("Enter");
    await page.locator("#story .reply").nth(replies).waitFor({ timeout: REPLY_TIME });
    assert.equal((await page.locator("#story .reply").nth(replies).innerText()).trim(), "5");
    await context.close();
  });
});

describe("playing", () => {
  it("shows the player's command and the game's reply, keeps the command line ready", async () => {
    const page = await openGame();
    const reply = await send(page, "/2+3");
    assert.equal((await reply.innerText()).trim(), "5");
    assert.equal(await page.locator("#story .command-echo").last().innerText(), "/2+3");
    assert.equal(await page.locator("#command").inputValue(), "");
    assert.equal(await page.evaluate(() => document.activeElement.id), "command");
    const quoted = await send(page, '/"Он сказал: \\"Иди\\". Путь c:\\\\temp"');
    assert.equal((await quoted.innerText()).trim(), 'Он сказал: "Иди". Путь c:\\temp');
    await closeGame(page);
  });

  it("shows the location apart from the story and names the page after it", async () => {
    const page = await openGame();
    assert.equal(await page.locator("#location").isVisible(), true, "the game's start shows where the player is");
    const reply = await send(page, '/"<location>Чердак<br>Пыльно и тихо.</location>Вы поднялись наверх."');
    assert.equal((await reply.innerText()).trim(), "Вы поднялись наверх.");
    assert.equal(await page.locator("#location").innerText(), "Чердак\nПыльно и тихо.");
    assert.equal(await page.title(), "Чердак — КИВ");
    assert.equal(await replyWith(page, "Пыльно и тихо.").count(), 0, "the location is not in the story");
    // A reloaded page gets the location from the server and keeps the story.
    await page.reload();
    assert.equal(await page.locator("#location").innerText(), "Чердак\nПыльно и тихо.");
    assert.equal(await replyWith(page, "Вы поднялись наверх.").count(), 1);
    await closeGame(page);
  });

  it("walks the history with the arrow keys, the latest first, without repeats", async () => {
    const page = await openGame();
    for (const command of ["/1", "/2", "/3", "/1"]) await send(page, command);
    const input = page.locator("#command");
    await input.fill("/недописан");
    const recalled = [];
    for (let press = 0; press < 4; press += 1) {
      await input.press("ArrowUp");
      recalled.push(await input.inputValue());
    }
    assert.deepEqual(recalled, ["/1", "/3", "/2", "/2"], "the oldest command is where the walk stops");
    await input.press("ArrowDown");
    assert.equal(await input.inputValue(), "/3");
    await input.press("ArrowDown");
    await input.press("ArrowDown");
    assert.equal(await input.inputValue(), "/недописан", "past the newest the unfinished line comes back");
    assert.equal(await input.evaluate((element) => element.selectionStart), "/недописан".length);
    await closeGame(page);
  });

  it("holds at a pause until a key is pressed, and sends that key press to the server", async () => {
    const page = await openGame();
    const first = await send(page, '/"Первая часть.<pause>Вторая часть."');
    assert.equal((await first.innerText()).trim(), "Первая часть.");
    await page.locator("#pause").waitFor();
    await page.waitForTimeout(400);
    assert.equal(await replyWith(page, "Вторая часть.").count(), 0, "the rest waits for the player");
    const keypress = page.waitForRequest((request) => request.url().endsWith("?keypress"));
    await page.keyboard.press("x");
    await keypress;
    await replyWith(page, "Вторая часть.").waitFor({ timeout: REPLY_TIME });
    assert.equal(await page.locator("#pause").isHidden(), true);
    assert.equal(await page.locator("#command").inputValue(), "", "the key that continued is not typed");
    await closeGame(page);
  });

  it("a click continues a pause as well", async () => {
    const page = await openGame();
    await send(page, '/"Раз.<pause>Два.<pause>Три."');
    await page.locator("#pause").waitFor();
    await page.locator("#story").click();
    await replyWith(page, "Два.").waitFor({ timeout: REPLY_TIME });
    await page.locator("#pause").waitFor();
    await page.getByRole("button", { name: "Дальше" }).click();
    await replyWith(page, "Три.").waitFor({ timeout: REPLY_TIME });
    assert.equal(await page.locator("#pause").isHidden(), true);
    await closeGame(page);
  });

  it("a clear empties the story and leaves what follows it", async () => {
    const page = await openGame();
    await send(page, '/"До очистки."');
    await send(page, '/"Старое.<clear>Новое."');
    assert.equal((await page.locator("#story").innerText()).trim(), "Новое.");
    await closeGame(page);
  });

  it("draws drop caps from the letter images and reads the word whole", async () => {
    const page = await openGame();
    const reply = await send(page, '/"<letter>Жили-были дед да баба."');
    const letter = reply.locator("img.letter");
    assert.match(await letter.getAttribute("src"), /letters\/zh\.png$/i);
    await page.waitForFunction(() => document.querySelector("#story img.letter")?.complete);
    assert.ok(await letter.evaluate((image) => image.naturalWidth) > 0, "the image is served");
    assert.equal(await letter.getAttribute("aria-hidden"), "true");
    assert.match(await reply.locator("p").first().textContent(), /^Жили-были дед да баба\.$/);
    await closeGame(page);
  });

  it("shows stress marks as accents over the vowel", async () => {
    const page = await openGame();
    const reply = await send(page, '/"Старый за`мок."');
    assert.equal((await reply.innerText()).trim(), "Старый за\u0301мок.");
    await closeGame(page);
  });

  it("reads new text aloud when the player asks, in Russian and without stress marks", async () => {
    const context = await browser.newContext();
    await context.addInitScript(() => {
      window.spoken = [];
      speechSynthesis.speak = (utterance) => window.spoken.push({ text: utterance.text, lang: utterance.lang });
    });
    const page = await context.newPage();
    await page.goto(site.address + "/games/test.kiv");
    await gameStarted(page);
    await send(page, '/"Молчание."');
    assert.deepEqual(await page.evaluate(() => window.spoken), [], "silent until asked");
    await page.getByRole("button", { name: "Настройки" }).click();
    await page.getByLabel("Читать новый текст вслух").check();
    await page.keyboard.press("Escape");
    assert.equal(await page.evaluate(() => document.activeElement.id), "command");
    await send(page, '/"<letter>Тёмный за`мок."');
    assert.deepEqual(await page.evaluate(() => window.spoken), [{ text: "Тёмный замок.", lang: "ru-RU" }]);
    await context.close();
  });
});

describe("screens and assistive technology", () => {
  it("fits a phone screen without sideways scrolling, the command line in view", async () => {
    const page = await openGame({ viewport: { width: 360, height: 640 }, isMobile: true, hasTouch: true });
    for (let line = 0; line < 6; line += 1) await send(page, `/"Длинная строка номер ${line}, в которой достаточно слов, чтобы она переносилась на узком экране телефона."`);
    const sizes = await page.evaluate(() => ({
      width: document.documentElement.scrollWidth,
      view: innerWidth,
      inputBottom: document.getElementById("command").getBoundingClientRect().bottom,
      height: innerHeight,
      inputFont: parseFloat(getComputedStyle(document.getElementById("command")).fontSize),
      storyEnd: (() => { const story = document.getElementById("story"); return story.scrollHeight - story.scrollTop - story.clientHeight; })(),
    }));
    assert.ok(sizes.width <= sizes.view, `page is ${sizes.width}px wide on a ${sizes.view}px screen`);
    assert.ok(sizes.inputBottom <= sizes.height, "the command line is on screen");
    assert.ok(sizes.inputFont >= 16, "the command line's text is large enough not to zoom");
    await page.waitForFunction(() => { const story = document.getElementById("story"); return story.scrollHeight - story.scrollTop - story.clientHeight < 4; });
    await closeGame(page);
  });

  it("announces new text through a live region and labels every control", async () => {
    const page = await openGame();
    const story = page.locator("#story");
    assert.equal(await story.getAttribute("role"), "log");
    assert.equal(await story.getAttribute("aria-live"), "polite");
    assert.equal(await page.getByRole("textbox", { name: "Ваша команда" }).count(), 1);
    await send(page, '/"Слышно?"');
    assert.equal(await story.locator(".reply").last().innerText(), "Слышно?");
    assert.equal(await page.locator("html").getAttribute("lang"), "ru");
    await closeGame(page);
  });

  it("runs the commands of one line, takes one back, saves and loads the game", async () => {
    const page = await openGame();
    const texts = async (command) => (await (await send(page, command)).innerText()).replace(/\s+/g, " ").trim();
    assert.match(await texts("возьми лампу. и"), /Вы взяли лампу\. У вас с собой лампа\./);
    assert.equal(await texts("сохранить с лампой"), "Игра сохранена под именем «с-лампой».");
    assert.equal(await texts("положи её"), "Вы положили лампу.");
    assert.equal(await texts("отмена"), "Отменена команда «положи её».");
    assert.equal(await texts("и"), "У вас с собой лампа.");
    assert.equal(await texts("положи лампу"), "Вы положили лампу.");
    assert.equal(await texts("загрузить с лампой"), "Сохранение «с-лампой» загружено.");
    assert.equal(await texts("и"), "У вас с собой лампа.");
    await closeGame(page);
  });

  it("the server is still serving after every test", () => {
    assert.equal(site.running, true, site.log.join("").slice(-2000));
  });
});
