// The studio page in a real browser against the real server: headless
// Chromium (Debian's, driven by playwright-core) opens the page that
// `vexmark studio` serves for a copy of the still-life example, and checks
// what a person would: the page loads with its controls, the 3D view draws,
// a style change redraws the preview, "Use this view" after orbiting changes
// the drawing, Export writes the file (asking before it replaces one), the
// drawing lies over the view in its own shape, and a refused value shows
// its error.
//
// Usage: node page_test.mjs PROGRAM EXAMPLES_DIR NODE_MODULES_DIR
// With VEXMARK_STUDIO_SCREENSHOT=FILE it also saves a picture of the page
// with the drawing laid over the view (the README's picture).
import { after, before, describe, it } from "node:test";
import assert from "node:assert/strict";
import { spawn } from "node:child_process";
import { copyFileSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";

const [program, examples, nodeModules] = process.argv.slice(2).map((p) => resolve(p));
const { chromium } = createRequire(join(nodeModules, "index.js"))("playwright-core");
const kChromium = process.env.VEXMARK_CHROMIUM || "/usr/bin/chromium";
const kStartSeconds = 30;
const kDrawSeconds = 60;

// Starts `vexmark studio` on the scene and answers its URL line.
function startStudio(scene, folder) {
  const server = spawn(program, ["studio", scene], { cwd: folder, stdio: ["ignore", "pipe", "pipe"] });
  let said = "";
  server.stderr.on("data", (chunk) => (said += chunk));
  const url = new Promise((resolve_, reject) => {
    const timer = setTimeout(() => reject(new Error(`no URL line within ${kStartSeconds} s: ${said}`)), kStartSeconds * 1000);
    let out = "";
    server.stdout.on("data", (chunk) => {
      out += chunk;
      const match = out.match(/^Vexmark studio: (http:\/\/127\.0\.0\.1:\d+\/\?token=\S+)$/m);
      if (match) {
        clearTimeout(timer);
        resolve_(match[1]);
      }
    });
    server.on("exit", (code) => {
      clearTimeout(timer);
      reject(new Error(`vexmark studio ended (${code}): ${said}`));
    });
  });
  return { server, url };
}

// The preview's SVG markup, or "" while there is none.
const previewSvg = (page) => page.evaluate(() => document.querySelector("#preview svg")?.outerHTML ?? "");

// Waits until the preview shows a drawing other than `before`.
async function nextDrawing(page, before) {
  await page.waitForFunction(
    (old) => {
      const svg = document.querySelector("#preview svg");
      return svg && svg.outerHTML !== old && !document.querySelector("#preview").classList.contains("busy");
    },
    before,
    { timeout: kDrawSeconds * 1000 },
  );
  return previewSvg(page);
}

// How many distinct colours the 3D view's canvas shows.
const canvasColours = (page) =>
  page.evaluate(() => {
    const canvas = document.querySelector("canvas#viewport");
    const copy = document.createElement("canvas");
    copy.width = canvas.width;
    copy.height = canvas.height;
    const context = copy.getContext("2d");
    context.drawImage(canvas, 0, 0);
    const pixels = context.getImageData(0, 0, copy.width, copy.height).data;
    const colours = new Set();
    for (let i = 0; i < pixels.length; i += 4 * 7) colours.add((pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2]);
    return colours.size;
  });

describe("studio page", () => {
  let folder, studio, browser, page;
  const pageErrors = [];

  before(async () => {
    folder = mkdtempSync(join(tmpdir(), "vexmark-studio-"));
    for (const name of ["still-life.vxm", "still-life.gltf"]) copyFileSync(join(examples, name), join(folder, name));
    studio = startStudio(join(folder, "still-life.vxm"), folder);
    const url = await studio.url;
    browser = await chromium.launch({
      executablePath: kChromium,
      headless: true,
      // WebGL without a GPU: Chromium's software renderer.
      args: ["--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox"],
    });
    page = await browser.newPage({ viewport: { width: 1440, height: 820 } });
    page.on("pageerror", (error) => pageErrors.push(String(error)));
    await page.goto(url);
  });

  after(async () => {
    if (browser) await browser.close();
    if (studio) {
      studio.server.kill("SIGTERM");
      await new Promise((done) => (studio.server.exitCode !== null ? done() : studio.server.on("exit", done)));
    }
    if (folder) rmSync(folder, { recursive: true, force: true });
  });

  it("loads with a control for each option, the object tree and a first drawing", async () => {
    await page.waitForSelector("#preview svg", { timeout: kDrawSeconds * 1000 });
    const styles = await page.$$eval('select[name="style"] option', (options) => options.map((o) => o.value));
    assert.ok(styles.length >= 2, `style choices: ${styles}`);
    assert.ok(await page.$('#options [name="crease-angle"]'), "no crease-angle control");
    assert.ok((await page.$$("#objects .object")).length > 0, "no objects listed");
    assert.match(await page.textContent("#drawing-facts"), /\d+ ms, \d+ paths, ink \d+ pt/);
    assert.equal(new URL(page.url()).search, "", "the token stays in the address bar");
    assert.ok(await page.locator("#frame-tools").isHidden(), "a frame slider for a still scene");
    assert.deepEqual(pageErrors, []);
  });

  it("draws the scene in the 3D view", async () => {
    await page.waitForFunction(() => document.querySelector("#cameras").options.length > 0);
    assert.ok((await canvasColours(page)) > 8, "the canvas is nearly one colour");
  });

  it("redraws the preview when the style changes", async () => {
    const before_ = await previewSvg(page);
    const select = page.locator('select[name="style"]');
    const current = await select.inputValue();
    const other = (await select.locator("option").evaluateAll((o) => o.map((x) => x.value))).find((v) => v !== current);
    await select.selectOption(other);
    const after_ = await nextDrawing(page, before_);
    assert.notEqual(after_, before_);
    const settings = await page.evaluate(() => fetch("/api/settings").then((r) => r.json()));
    assert.equal(settings.style, other);
  });

  it("makes the orbited view the export camera with Use this view", async () => {
    const before_ = await previewSvg(page);
    const box = await page.locator("canvas#viewport").boundingBox();
    const [x, y] = [box.x + box.width / 2, box.y + box.height / 2];
    await page.mouse.move(x, y);
    await page.mouse.down();
    await page.mouse.move(x + 120, y + 30, { steps: 8 });
    await page.mouse.up();
    await page.click("#use-view");
    const after_ = await nextDrawing(page, before_);
    assert.notEqual(after_, before_);
    const scene = await page.evaluate(() => fetch("/api/scene").then((r) => r.json()));
    assert.ok(scene.objects.some((object) => object.kind === "camera" && object.name === "Studio view"));
  });

  it("exports the drawing into the scene's folder and asks before replacing it", async () => {
    const file = join(folder, "studio-test.svg");
    await page.fill("#export-name", "studio-test.svg");
    await page.click("#export-form button[type=submit]");
    await page.waitForFunction(() => /^Wrote /.test(document.querySelector("#file-message").textContent));
    assert.match(readFileSync(file, "utf8"), /<svg/);

    const asked = [];
    page.once("dialog", (dialog) => {
      asked.push(dialog.message());
      dialog.accept();
    });
    writeFileSync(file, "an older file");
    await page.evaluate(() => (document.querySelector("#file-message").textContent = ""));
    await page.click("#export-form button[type=submit]");
    await page.waitForFunction(() => /^Wrote /.test(document.querySelector("#file-message").textContent));
    assert.equal(asked.length, 1, "no question before replacing");
    assert.match(readFileSync(file, "utf8"), /<svg/);
  });

  it("lays the drawing over the view in the drawing's shape", async () => {
    await page.check("#overlay-switch");
    await page.waitForSelector("#overlay svg", { state: "visible" });
    const shapes = await page.evaluate(() => {
      const canvas = document.querySelector("canvas#viewport").getBoundingClientRect();
      const layer = document.querySelector("#overlay").getBoundingClientRect();
      const box = document.querySelector("#preview svg").viewBox.baseVal;
      return { canvas: canvas.width / canvas.height, layer: [layer.width, layer.height], same: [canvas.width, canvas.height], drawing: box.width / box.height };
    });
    assert.ok(Math.abs(shapes.canvas - shapes.drawing) < 0.01, JSON.stringify(shapes));
    assert.deepEqual(shapes.layer, shapes.same);
    // The picture for the README shows the drawing laid over the view.
    if (process.env.VEXMARK_STUDIO_SCREENSHOT) await page.screenshot({ path: resolve(process.env.VEXMARK_STUDIO_SCREENSHOT) });
    await page.uncheck("#overlay-switch");
    assert.ok(await page.locator("#overlay").isHidden());
    assert.deepEqual(pageErrors, []);
  });

  it("shows a refused value's error next to its control and takes the value back", async () => {
    const control = page.locator('#options [name="crease-angle"]');
    const accepted = await control.inputValue();
    await control.fill("100000");
    await control.dispatchEvent("change");
    const error = page.locator('#options [name="crease-angle"] + .error');
    await error.waitFor({ state: "visible" });
    assert.ok((await error.textContent()).length > 0);
    assert.equal(await control.inputValue(), accepted);
  });
});
