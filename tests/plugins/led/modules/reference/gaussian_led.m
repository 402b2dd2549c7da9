% Reference for the LED spectra module: a Gaussian LED (peak 0.5234 um, FWHM 0.0317 um)
% sampled from 380 to 780 nm in steps of 2 nm.
% Run: octave --no-gui --quiet gaussian_led.m > gaussian_led.txt
peak = 0.5234;
fwhm = 0.0317;
x = 380:2:780;
u = (x / 1000 - peak) / (fwhm / 2);
y = exp(-log(2) * u .^ 2);
for k = 1:numel(x)
  printf("%d %.17g\n", x(k), y(k));
end
