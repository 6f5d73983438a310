// The studio page: the 3D view, the export options, the object tree and the
// live preview, each in a module of its own; this file loads the scene and
// wires them together.
import "./studio.css";
import { errorText, getJson, putJson } from "./api.js";
import { Viewport } from "./viewport.js";
import { SettingsPanel } from "./settings_panel.js";
import { ObjectTree } from "./object_tree.js";
import { Preview } from "./preview.js";
import { wireFileActions } from "./file_actions.js";
import { FrameSlider } from "./frame_slider.js";
import { Overlay } from "./overlay.js";

const byId = (id) => document.getElementById(id);

function say(text) {
  byId("status").textContent = text;
}

class Studio {
  constructor() {
    this.viewport = new Viewport(byId("viewport"));
    this.overlay = new Overlay(byId("overlay"), byId("overlay-switch"), this.viewport);
    this.preview = new Preview(
      { preview: byId("preview"), progress: byId("progress"), facts: byId("drawing-facts") },
      (svgText) => this.overlay.showDrawing(svgText),
    );
    this.settings = new SettingsPanel(byId("options"), (settings, changed) => this.settingsChanged(changed));
    this.objects = new ObjectTree(byId("objects"), () => this.preview.schedule());
    this.frames = new FrameSlider(byId("frame-tools"), byId("frame"), byId("frame-number"), () => this.frameChanged());
    this.cameras = [];
    wireFileActions({
      form: byId("export-form"),
      exportName: byId("export-name"),
      saveButton: byId("save"),
      saveName: byId("save-name"),
      message: byId("file-message"),
    });
    byId("look-through").addEventListener("click", () => this.lookThroughChosen());
    byId("use-view").addEventListener("click", () => this.useThisView());
  }

  async start() {
    // The token has done its work once the cookie is set: keep it out of
    // the address bar and the history.
    if (location.search.includes("token=")) history.replaceState(null, "", "/");
    const [options, settings, scene] = await Promise.all([getJson("/api/options"), getJson("/api/settings"), getJson("/api/scene")]);
    const refused = [options, settings, scene].find((answer) => !answer.ok);
    if (refused) return say(errorText(refused));
    this.settings.build(options.data.options, settings.data);
    this.tagKeys = options.data.tagKeys;
    this.showScene(scene.data);
    this.frames.show(scene.data.frames, scene.data.frame);
    await this.loadGeometry(true);
    this.preview.redraw();
  }

  showScene(scene) {
    byId("scene-name").textContent = scene.scene || "";
    this.objects.build(scene, this.tagKeys);
  }

  // The meshes and cameras of the current frame; `aim` puts the view at the
  // export camera (or round the whole scene when there is none).
  async loadGeometry(aim) {
    const answer = await getJson("/api/geometry");
    if (!answer.ok) return say(errorText(answer));
    const geometry = answer.data;
    this.viewport.showGeometry(geometry);
    this.cameras = geometry.cameras;
    this.exportCamera = geometry.exportCamera;
    this.overlay.setCamera(this.exportCamera);
    const list = byId("cameras");
    list.replaceChildren(...this.cameras.map((camera, index) => new Option(camera.name, String(index))));
    if (!aim) return;
    if (this.exportCamera) this.viewport.lookThrough(this.exportCamera);
    else this.viewport.viewAll();
  }

  lookThroughChosen() {
    const camera = this.cameras[Number(byId("cameras").value)];
    if (camera) this.viewport.lookThrough(camera);
  }

  async useThisView() {
    const answer = await putJson("/api/view", this.viewport.view());
    if (!answer.ok) return say(errorText(answer));
    say("The view is the export camera now.");
    this.settings.show(answer.data, false);
    await this.refreshSceneAndCameras();
    this.preview.schedule();
  }

  // The export camera, its shape (size) or what is drawn changed.
  async settingsChanged(changed) {
    if (changed.includes("camera") || changed.includes("size")) await this.refreshSceneAndCameras();
    this.preview.schedule();
  }

  async refreshSceneAndCameras() {
    const scene = await getJson("/api/scene");
    if (scene.ok) this.showScene(scene.data);
    await this.loadGeometry(false);
  }

  async frameChanged() {
    await this.loadGeometry(false);
    this.preview.schedule();
  }
}

new Studio().start();
