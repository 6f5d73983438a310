// The export options panel: a control for each option the server describes,
// in its order, showing the current settings. A change is sent as a partial
// settings object; a refused value shows the server's error next to its
// control and the control goes back to its accepted value.
import { addControl, setControlValue } from "./controls.js";
import { errorText, putJson } from "./api.js";

export class SettingsPanel {
  // `onChanged(settings, changedNames)` runs after the server took a change.
  constructor(form, onChanged) {
    this.form = form;
    this.onChanged = onChanged;
    this.controls = new Map();
    this.settings = {};
    form.addEventListener("submit", (event) => event.preventDefault());
  }

  build(options, settings) {
    this.form.replaceChildren();
    this.controls.clear();
    this.settings = { ...settings };
    for (const option of options) {
      const control = addControl(this.form, option, settings[option.name], (name, value) =>
        this.commit(name, value),
      );
      this.controls.set(option.name, control);
    }
  }

  async commit(name, value) {
    const answer = await putJson("/api/settings", { [name]: value });
    if (!answer.ok) return errorText(answer);
    this.show(answer.data);
    return null;
  }

  // Shows settings that changed elsewhere (the server's answer, "use this
  // view"); `notify` tells onChanged which ones changed.
  show(settings, notify = true) {
    const changed = Object.keys(settings).filter((name) => settings[name] !== this.settings[name]);
    this.settings = { ...settings };
    for (const [name, control] of this.controls) setControlValue(control, settings[name]);
    if (notify && changed.length) this.onChanged(this.settings, changed);
  }
}
