// The live preview: the exact drawing (GET /api/drawing.svg) shown inline,
// redrawn a short while after the last change. A newer request supersedes
// an older one: the server answers the older 409, and any answer that is
// not the newest is dropped. While a drawing is made, a progress bar follows
// GET /api/progress; when it is done, its time, path count and ink length.
import { errorText, getJson, request } from "./api.js";

const kSettleMs = 250;
const kProgressEveryMs = 200;

// The drawing as an SVG element, without anything that could run.
function parseDrawing(text) {
  const document_ = new DOMParser().parseFromString(text, "image/svg+xml");
  const svg = document_.documentElement;
  if (svg.nodeName !== "svg") return null;
  for (const script of svg.querySelectorAll("script, foreignObject")) script.remove();
  for (const element of [svg, ...svg.querySelectorAll("*")]) {
    for (const attribute of [...element.attributes]) {
      if (attribute.name.toLowerCase().startsWith("on")) element.removeAttribute(attribute.name);
    }
  }
  return document.importNode(svg, true);
}

export class Preview {
  // `onDrawn(svgText)` runs with each drawing shown.
  constructor({ preview, progress, facts }, onDrawn) {
    this.preview = preview;
    this.progress = progress;
    this.facts = facts;
    this.onDrawn = onDrawn;
    this.newest = 0;
    this.timer = null;
    this.svgText = "";
  }

  // Redraws once changes have settled.
  schedule() {
    clearTimeout(this.timer);
    this.timer = setTimeout(() => this.redraw(), kSettleMs);
  }

  async redraw() {
    const ticket = ++this.newest;
    this.preview.classList.add("busy");
    this.followProgress(ticket);
    const answer = await request("GET", "/api/drawing.svg");
    if (ticket !== this.newest || answer.status === 409) return;
    this.preview.classList.remove("busy");
    this.progress.hidden = true;
    if (!answer.ok) {
      this.preview.replaceChildren(Object.assign(document.createElement("p"), { className: "message-error", textContent: errorText(answer) }));
      this.facts.textContent = "";
      return;
    }
    this.show(answer.data, answer.headers);
  }

  show(svgText, headers) {
    const svg = parseDrawing(svgText);
    if (!svg) return;
    this.svgText = svgText;
    this.preview.replaceChildren(svg);
    const milliseconds = Number(headers.get("X-Vexmark-Milliseconds"));
    const paths = headers.get("X-Vexmark-Paths");
    const ink = Number(headers.get("X-Vexmark-Ink-Length"));
    this.facts.textContent = `${milliseconds} ms, ${paths} paths, ink ${ink.toFixed(0)} pt`;
    this.preview.dataset.drawn = String(this.newest);
    this.onDrawn(svgText);
  }

  // Polls the progress while `ticket` is the newest drawing in work.
  async followProgress(ticket) {
    await new Promise((resolve) => setTimeout(resolve, kProgressEveryMs));
    while (ticket === this.newest && this.preview.classList.contains("busy")) {
      const answer = await getJson("/api/progress");
      if (answer.ok && answer.data.running) {
        this.progress.hidden = false;
        this.progress.value = answer.data.fraction;
      }
      await new Promise((resolve) => setTimeout(resolve, kProgressEveryMs));
    }
  }
}
