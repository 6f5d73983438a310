// The 3D view: the scene's meshes in their flat material colours under a
// simple light, orbit/pan/zoom, and cameras to look through. Coordinates
// are the server's viewer convention, which is three.js's own (Y up, a
// camera looks down its -Z axis), so they are used as given.
import * as THREE from "three";
import { OrbitControls } from "three/addons/controls/OrbitControls.js";

const kBackground = 0xffffff;

export class Viewport {
  constructor(canvas) {
    this.canvas = canvas;
    // preserveDrawingBuffer: the picture stays readable after it is shown
    // (the browser test reads the canvas's pixels).
    this.renderer = new THREE.WebGLRenderer({ canvas, antialias: true, preserveDrawingBuffer: true });
    this.renderer.setPixelRatio(window.devicePixelRatio);
    this.scene = new THREE.Scene();
    this.scene.background = new THREE.Color(kBackground);
    this.scene.add(new THREE.HemisphereLight(0xffffff, 0x8a8a8a, 1.6));
    this.sun = new THREE.DirectionalLight(0xffffff, 1.6);
    this.scene.add(this.sun);
    this.meshes = new THREE.Group();
    this.scene.add(this.meshes);
    this.camera = new THREE.PerspectiveCamera(40, 1, 0.01, 1000);
    this.controls = new OrbitControls(this.camera, canvas);
    this.controls.addEventListener("change", () => this.render());
    // Only a view that follows the export camera fixes the picture's shape.
    this.fixedAspect = null;
    // Told where the picture lies in its box after each resize.
    this.onPlaced = null;
    new ResizeObserver(() => this.fitCanvas()).observe(canvas.parentElement);
  }

  // Replaces the shown meshes with the geometry's (GET /api/geometry).
  showGeometry(geometry) {
    for (const mesh of this.meshes.children) {
      mesh.geometry.dispose();
      mesh.material.dispose();
    }
    this.meshes.clear();
    for (const part of geometry.meshes) {
      const shape = new THREE.BufferGeometry();
      shape.setAttribute("position", new THREE.Float32BufferAttribute(part.positions, 3));
      shape.setIndex(part.indices);
      // Per-face normals: the flat shading of the drawing's filled styles.
      const faces = shape.toNonIndexed();
      shape.dispose();
      faces.computeVertexNormals();
      const material = new THREE.MeshLambertMaterial({ color: part.colour, side: THREE.DoubleSide });
      this.meshes.add(Object.assign(new THREE.Mesh(faces, material), { name: String(part.id) }));
    }
    this.bounds = new THREE.Box3().setFromObject(this.meshes).getBoundingSphere(new THREE.Sphere());
    this.render();
  }

  // Puts the view where a scene camera is ({position, quaternion, fov}) and
  // orbits about the point in front of it nearest the scene's centre.
  lookThrough(camera) {
    this.camera.position.fromArray(camera.position);
    this.camera.quaternion.fromArray(camera.quaternion);
    // A parallel camera has no field of view; the view keeps its own.
    if (typeof camera.fov === "number") this.camera.fov = camera.fov;
    const forward = new THREE.Vector3(0, 0, -1).applyQuaternion(this.camera.quaternion);
    const centre = this.bounds && !this.bounds.isEmpty() ? this.bounds.center : new THREE.Vector3();
    const distance = Math.max(centre.clone().sub(this.camera.position).dot(forward), 0.1);
    this.controls.target.copy(this.camera.position).addScaledVector(forward, distance);
    this.fitCanvas();
  }

  // A view of the whole scene from the front, above and to the right, for
  // scenes without a camera.
  viewAll() {
    const centre = this.bounds.isEmpty() ? new THREE.Vector3() : this.bounds.center;
    const radius = this.bounds.isEmpty() ? 1 : this.bounds.radius;
    this.camera.position.copy(centre).add(new THREE.Vector3(1, 0.7, 1.2).setLength(radius * 3));
    this.controls.target.copy(centre);
    this.controls.update();
    this.fitCanvas();
  }

  // The view as "use this view" sends it (PUT /api/view).
  view() {
    return {
      position: this.camera.position.toArray(),
      quaternion: this.camera.quaternion.toArray(),
      fov: this.camera.fov,
    };
  }

  // Locks the view to a picture shape (width / height) while the drawing is
  // laid over it, or frees it (null).
  setFixedAspect(aspect) {
    this.fixedAspect = aspect;
    this.controls.enabled = aspect === null;
    return this.fitCanvas();
  }

  // Sizes the canvas to its box, or to the largest rectangle of the fixed
  // shape centred in it; answers that rectangle for the overlay.
  fitCanvas() {
    const box = this.canvas.parentElement.getBoundingClientRect();
    let width = box.width;
    let height = box.height;
    if (this.fixedAspect) {
      width = Math.min(box.width, box.height * this.fixedAspect);
      height = width / this.fixedAspect;
    }
    const rect = { left: (box.width - width) / 2, top: (box.height - height) / 2, width, height };
    Object.assign(this.canvas.style, { left: `${rect.left}px`, top: `${rect.top}px`, width: `${width}px`, height: `${height}px` });
    if (width > 0 && height > 0) {
      this.renderer.setSize(width, height, false);
      this.camera.aspect = width / height;
    }
    this.render();
    if (this.onPlaced) this.onPlaced(rect);
    return rect;
  }

  render() {
    const radius = this.bounds && !this.bounds.isEmpty() ? this.bounds.radius : 10;
    const reach = this.camera.position.distanceTo(this.bounds ? this.bounds.center : new THREE.Vector3()) + radius;
    this.camera.near = Math.max(reach / 10000, 1e-4);
    this.camera.far = reach * 2;
    this.camera.updateProjectionMatrix();
    this.sun.position.copy(this.camera.position);
    this.renderer.render(this.scene, this.camera);
  }
}
