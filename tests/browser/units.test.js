// The game page's logic that needs no browser: the command history, the
// polling schedule and the reading of "update" replies.

import assert from "node:assert/strict";
import { describe, it } from "node:test";

import { CommandHistory } from "../../site/js/history.js";
import { parseReply } from "../../site/js/poller.js";
import { PollSchedule } from "../../site/js/schedule.js";

describe("command history", () => {
  it("walks older and newer commands and gives back the unfinished line", () => {
    const history = new CommandHistory();
    history.replace(["третья", "вторая", "первая"]);
    assert.equal(history.newer(), null, "nothing newer than the line being typed");
    assert.equal(history.older("недопис"), "третья");
    assert.equal(history.older("третья"), "вторая");
    assert.equal(history.older("вторая"), "первая");
    assert.equal(history.older("первая"), null, "the oldest command is the end");
    assert.equal(history.newer(), "вторая");
    assert.equal(history.newer(), "третья");
    assert.equal(history.newer(), "недопис");
    assert.equal(history.newer(), null);
  });

  it("an empty history recalls nothing", () => {
    const history = new CommandHistory();
    assert.equal(history.older(""), null);
    assert.equal(history.newer(), null);
  });

  it("a command sent again moves to the front once, and ten are kept", () => {
    const history = new CommandHistory();
    for (let number = 1; number <= 12; number += 1) history.remember(`к${number}`);
    history.remember("к5");
    const walked = [];
    for (let entry = history.older(""); entry !== null; entry = history.older(entry)) walked.push(entry);
    assert.deepEqual(walked, ["к5", "к12", "к11", "к10", "к9", "к8", "к7", "к6", "к4", "к3"]);
  });

  it("takes the server's list as it is, skips what is not text, and starts over", () => {
    const history = new CommandHistory();
    history.remember("моя");
    history.older("");
    history.replace(["с сервера", 7, null, "ещё"]);
    assert.equal(history.older(""), "с сервера");
    assert.equal(history.older(""), "ещё");
    assert.equal(history.older(""), null);
  });

  it("development-environment queries stay out of the history", () => {
    const history = new CommandHistory();
    history.remember("осмотреться");
    history.remember("ide=tree");
    assert.equal(history.older(""), "осмотреться");
    assert.equal(history.older(""), null);
  });
});

describe("polling schedule", () => {
  it("polls quickly while a reply is due, then ever slower up to the slowest wait", () => {
    const schedule = new PollSchedule({ quick: 25, busyFor: 1000, slowest: 400, growth: 2 });
    schedule.activity(10000);
    assert.equal(schedule.afterEmptyPoll(10100), 25);
    assert.equal(schedule.afterEmptyPoll(10999), 25);
    const waits = [11000, 11100, 11200, 11300, 11400, 11500].map((now) => schedule.afterEmptyPoll(now));
    assert.deepEqual(waits, [50, 100, 200, 400, 400, 400]);
  });

  it("a command or a reply brings the quick polls back at once", () => {
    const schedule = new PollSchedule({ quick: 25, busyFor: 1000, slowest: 2000 });
    for (let now = 0; now < 20000; now += 1000) schedule.afterEmptyPoll(now);
    assert.equal(schedule.afterEmptyPoll(20000), 2000);
    schedule.activity(20500);
    assert.equal(schedule.afterEmptyPoll(20600), 25);
  });

  it("a failed poll backs off to at least half a second and never past the slowest", () => {
    const schedule = new PollSchedule({ quick: 25, busyFor: 1000, slowest: 3000 });
    schedule.activity(0);
    assert.equal(schedule.afterFailedPoll(), 500);
    assert.equal(schedule.afterFailedPoll(), 1000);
    assert.equal(schedule.afterFailedPoll(), 2000);
    assert.equal(schedule.afterFailedPoll(), 3000);
    assert.equal(schedule.afterFailedPoll(), 3000);
  });
});

describe("update replies", () => {
  it("an empty body or an empty object means nothing new", () => {
    assert.equal(parseReply(""), null);
    assert.equal(parseReply("{}"), null);
    assert.equal(parseReply(" {}\r\n"), null);
  });

  it("reads every member the server writes, escapes included", () => {
    const body = '{"text":"Он сказал: \\"Иди\\".<br>C:\\\\","location":"Кухня","clear":true,"pause":true,"cmdlist":["сказать \\"да\\"","север"]}';
    assert.deepEqual(parseReply(body), {
      text: 'Он сказал: "Иди".<br>C:\\',
      location: "Кухня",
      clear: true,
      pause: true,
      cmdlist: ['сказать "да"', "север"],
    });
  });

  it("refuses a body that is not one JSON object", () => {
    assert.throws(() => parseReply("{\"text\":\"обрыв"), SyntaxError);
    assert.throws(() => parseReply("[1,2]"), /not an object/);
    assert.throws(() => parseReply("null"), /not an object/);
    assert.throws(() => parseReply("404 treasure not found!"), SyntaxError);
  });
});
