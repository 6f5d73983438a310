// Lays the drawing over the shaded view to aim by: while the switch is on,
// the view looks through the export camera in the drawing's own shape, and
// the drawing is shown on top of it in the same rectangle.
const kOverlayOpacity = "0.9";

// The drawing's width / height from its viewBox (or size attributes).
function drawingAspect(svg) {
  const box = svg.viewBox && svg.viewBox.baseVal;
  if (box && box.width > 0 && box.height > 0) return box.width / box.height;
  const width = parseFloat(svg.getAttribute("width"));
  const height = parseFloat(svg.getAttribute("height"));
  return width > 0 && height > 0 ? width / height : null;
}

export class Overlay {
  constructor(layer, toggle, viewport) {
    this.layer = layer;
    this.toggle = toggle;
    this.viewport = viewport;
    this.camera = null;
    toggle.addEventListener("change", () => this.update());
    viewport.onPlaced = (rect) => this.place(rect);
  }

  // Puts the drawing over the rectangle the view draws in.
  place(rect) {
    Object.assign(this.layer.style, {
      left: `${rect.left}px`,
      top: `${rect.top}px`,
      width: `${rect.width}px`,
      height: `${rect.height}px`,
    });
  }

  setCamera(camera) {
    this.camera = camera;
    this.update();
  }

  // A new drawing is in the preview.
  showDrawing() {
    this.update();
  }

  update() {
    const shown = document.querySelector("#preview svg");
    const on = Boolean(this.toggle.checked && this.camera && shown);
    this.layer.hidden = !on;
    if (!on) {
      this.viewport.setFixedAspect(null);
      return;
    }
    // A copy of the drawing shown in the preview, already cleaned there.
    const svg = shown.cloneNode(true);
    svg.style.opacity = kOverlayOpacity;
    svg.setAttribute("preserveAspectRatio", "xMidYMid meet");
    this.layer.replaceChildren(svg);
    this.viewport.lookThrough(this.camera);
    this.viewport.setFixedAspect(drawingAspect(svg) || this.camera.aspect);
  }
}
