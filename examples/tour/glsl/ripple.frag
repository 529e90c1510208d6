// Rings running out from the centre push the picture sideways; the music's
// bass sets how far. Edit it while `tour --dev` runs: the next frame shows it.
uniform sampler2D picture;
uniform float time;
uniform float strength;
uniform float fade;
varying vec2 uv;

void main()
{
    vec2 d = uv - 0.5;
    float r = length(d);
    vec2 push = d / max(r, 0.001) * sin(r * 40.0 - time * 5.0) * strength;
    vec3 c = texture2D(picture, uv + push).rgb;
    gl_FragColor = vec4(c * fade * (1.0 + 2.0 * strength), 1.0);
}
