// The frame slider of an animated scene: moving it shows that frame
// (PUT /api/frame) once the slider rests. Hidden for a still scene.
import { errorText, putJson } from "./api.js";

const kSettleMs = 150;

export class FrameSlider {
  // `onFrame()` runs after the server shows the new frame.
  constructor(box, slider, number, onFrame) {
    this.box = box;
    this.slider = slider;
    this.number = number;
    this.onFrame = onFrame;
    this.timer = null;
    slider.addEventListener("input", () => {
      this.number.textContent = slider.value;
      clearTimeout(this.timer);
      this.timer = setTimeout(() => this.send(), kSettleMs);
    });
  }

  show(frames, frame) {
    this.box.hidden = !frames || frames.last <= frames.first;
    if (this.box.hidden) return;
    this.slider.min = String(frames.first);
    this.slider.max = String(frames.last);
    this.slider.value = String(frame);
    this.number.textContent = String(frame);
    this.shown = frame;
  }

  async send() {
    const answer = await putJson("/api/frame", { frame: Number(this.slider.value) });
    if (!answer.ok) {
      this.number.textContent = errorText(answer);
      this.slider.value = String(this.shown);
      return;
    }
    this.shown = answer.data.frame;
    this.number.textContent = String(this.shown);
    this.onFrame();
  }
}
